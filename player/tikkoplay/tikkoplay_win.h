#pragma once
#include <windows.h>

// tikkoplay.dll, the suite's movie player control.
//
// Loading the DLL registers the global window class kTikkoPlayerClass. A
// window of that class (the show window's control 1024) plays one movie at a
// time: it loads the file, plays it at the movie's frame rate, looping where
// its frame scripts do not stop it, scaled
// so the whole frame is visible with its proportions kept (bars in the
// movie's background colour), and follows its window's size until destroyed.
//
// Putting the movie property: SendMessage(control, WM_TIKKO_PUT_MOVIE, 0,
// (LPARAM)ansiPath) or TikkoPlayerPutMovie(control, ansiPath). The file is
// read with CreateFileA, ReadFile (the first read starts at offset 0),
// SetFilePointer (FILE_END for the size) and CloseHandle from the DLL's own
// import table. The result is TRUE when a movie was loaded; otherwise the
// control shows an empty white area and keeps running; so it does when a
// movie needs more memory than the process can get.
//
// Sound: the movie's event and stream sounds play through waveOut while it
// plays, and stop when the next movie is put or the window is destroyed.
// SendMessage(control, WM_TIKKO_SET_SOUND, FALSE, 0) silences the control
// from then on (TRUE turns sound on for the next movie). Without a sound
// device the movie plays silently.
//
// Exports, undecorated stdcall:
//   int  TikkoPlayerVersion(void)                   the SWF version played (10)
//   BOOL TikkoPlayerPutMovie(HWND, const char* path)

constexpr wchar_t kTikkoPlayerDll[] = L"tikkoplay.dll";
constexpr wchar_t kTikkoPlayerClass[] = L"TikkoPlayer";
constexpr UINT WM_TIKKO_PUT_MOVIE = WM_USER + 102;
constexpr UINT WM_TIKKO_SET_SOUND = WM_USER + 103;
constexpr int kTikkoPlayerVersion = 10;

using TikkoPlayerVersionFn = int(WINAPI*)();
using TikkoPlayerPutMovieFn = BOOL(WINAPI*)(HWND control, const char* ansiPath);
