#pragma once
#include <windows.h>

#include <string>

// Strings of the executable's string table, as UTF-16 on every system.
int loadString(UINT id, wchar_t* buffer, int size);
std::wstring loadedString(UINT id);

// A topmost OK box: Russian text from the string table; the caption follows
// the system's ANSI code page.
int messageBox(HWND owner, UINT textId, int cyrillicCaptionId, int englishCaptionId, bool isError);
int errorBox(HWND owner, UINT textId, bool withModuleCaption);

// Dialog fonts with the Cyrillic character set: one font per process, made
// from the first dialog that asks.
void createCyrillicFont(HWND dialog);
void applyCyrillicFont(HWND dialog, const int* controlIds);

// On a system whose ANSI code page is not the expected one, the window's
// title becomes the given (English) string.
void setCaptionForCodePage(HWND window, UINT stringId, UINT expectedCodePage);
