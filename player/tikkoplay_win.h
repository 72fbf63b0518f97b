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
// Exports, undecorated stdcall:
//   int  TikkoPlayerVersion(void)                   the SWF version played (10)
//   BOOL TikkoPlayerPutMovie(HWND, const char* path)

constexpr wchar_t kTikkoPlayerDll[] = L"tikkoplay.dll";
constexpr wchar_t kTikkoPlayerClass[] = L"TikkoPlayer";
constexpr UINT WM_TIKKO_PUT_MOVIE = WM_USER + 102;
constexpr int kTikkoPlayerVersion = 10;

using TikkoPlayerVersionFn = int(WINAPI*)();
using TikkoPlayerPutMovieFn = BOOL(WINAPI*)(HWND control, const char* ansiPath);
