#pragma once
#include <windows.h>

#include <memory>
#include <string>

// The wide (UTF-16) API is used on the NT family from version 4 on; elsewhere
// the ANSI forms are called. Decided on the first call, then cached.
bool isWideApiAvailable();

// File names on the ANSI path always use Cyrillic code page 1251, whatever the
// system's ANSI code page; other text uses the system's ANSI code page.
constexpr UINT kFileNameCodePage = 1251;

// Conversions. Null text gives null; the caller owns the result.
int toWide(UINT codePage, const char* text, wchar_t* out, int capacity);
std::unique_ptr<wchar_t[]> codePageToWide(UINT codePage, const char* text);
std::unique_ptr<char[]> wideToCodePage(UINT codePage, const wchar_t* text);
std::unique_ptr<wchar_t[]> ansiToWide(const char* text);
std::unique_ptr<char[]> wideToAnsi(const wchar_t* text);
// UTF-16 text in the system's ANSI code page, as a string.
std::string toAnsiCodePage(const std::u16string& text);

// Wrappers that take UTF-16 text and call the wide or the ANSI function.
HANDLE createFileU(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flagsAndAttributes);
BOOL deleteFileU(const wchar_t* path);
BOOL setFileAttributesU(const wchar_t* path, DWORD attributes);
int getWindowTextU(HWND window, wchar_t* buffer, int capacity);

// The ANSI path of the wrappers, callable directly so that it can be tested
// on a system that has the wide API.
namespace ansi {
HANDLE createFile(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flagsAndAttributes);
BOOL deleteFile(const wchar_t* path);
BOOL setFileAttributes(const wchar_t* path, DWORD attributes);
int getWindowText(HWND window, wchar_t* buffer, int capacity);
}  // namespace ansi

enum class PathKind { Any = 0, File = 1, Directory = 2 };
bool pathExists(const wchar_t* path, PathKind kind);
bool pathExists(const char* path, PathKind kind);
inline bool fileExists(const wchar_t* path) { return pathExists(path, PathKind::File); }
inline bool fileExists(const char* path) { return pathExists(path, PathKind::File); }
