#include "common/text_win.h"

#include <cstring>

namespace {

bool queryWideApi() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return false;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 4;
}

bool matchesKind(DWORD attributes, PathKind kind) {
    bool directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    switch (kind) {
    case PathKind::File: return !directory;
    case PathKind::Directory: return directory;
    default: return true;
    }
}

}  // namespace

bool isWideApiAvailable() {
    static const bool available = queryWideApi();
    return available;
}

int toWide(UINT codePage, const char* text, wchar_t* out, int capacity) {
    if (!text) return 0;
    if (capacity == -1) capacity = static_cast<int>(std::strlen(text)) + 1;
    return MultiByteToWideChar(codePage, 0, text, -1, out, capacity);
}

std::unique_ptr<wchar_t[]> codePageToWide(UINT codePage, const char* text) {
    if (!text) return nullptr;
    int length = static_cast<int>(std::strlen(text));
    auto wide = std::make_unique<wchar_t[]>(length + 1);
    toWide(codePage, text, wide.get(), length + 1);
    return wide;
}

// Sized by the conversion itself: on a double-byte code page (932, 936, 949,
// 950) a code unit can take two bytes. A text that cannot be converted gives
// the empty string.
std::unique_ptr<char[]> wideToCodePage(UINT codePage, const wchar_t* text) {
    if (!text) return nullptr;
    const int size = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    auto narrow = std::make_unique<char[]>(size > 0 ? size : 1);
    if (size > 0) WideCharToMultiByte(codePage, 0, text, -1, narrow.get(), size, nullptr, nullptr);
    return narrow;
}

std::unique_ptr<wchar_t[]> ansiToWide(const char* text) { return codePageToWide(CP_ACP, text); }
std::unique_ptr<char[]> wideToAnsi(const wchar_t* text) { return wideToCodePage(CP_ACP, text); }

namespace ansi {

HANDLE createFile(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flagsAndAttributes) {
    auto name = wideToCodePage(kFileNameCodePage, path);
    return CreateFileA(name.get(), access, share, nullptr, disposition, flagsAndAttributes, nullptr);
}

BOOL deleteFile(const wchar_t* path) { return DeleteFileA(wideToCodePage(kFileNameCodePage, path).get()); }

BOOL setFileAttributes(const wchar_t* path, DWORD attributes) {
    return SetFileAttributesA(wideToCodePage(kFileNameCodePage, path).get(), attributes);
}

int getWindowText(HWND window, wchar_t* buffer, int capacity) {
    if (capacity <= 0) return 0;
    buffer[0] = 0;
    auto temporary = std::make_unique<char[]>(capacity);
    int count = GetWindowTextA(window, temporary.get(), capacity);
    if (count > 0) toWide(CP_ACP, temporary.get(), buffer, count + 1);
    return count;
}

}  // namespace ansi

HANDLE createFileU(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flagsAndAttributes) {
    if (!isWideApiAvailable()) return ansi::createFile(path, access, share, disposition, flagsAndAttributes);
    return CreateFileW(path, access, share, nullptr, disposition, flagsAndAttributes, nullptr);
}

BOOL deleteFileU(const wchar_t* path) { return isWideApiAvailable() ? DeleteFileW(path) : ansi::deleteFile(path); }

BOOL setFileAttributesU(const wchar_t* path, DWORD attributes) {
    return isWideApiAvailable() ? SetFileAttributesW(path, attributes) : ansi::setFileAttributes(path, attributes);
}

int getWindowTextU(HWND window, wchar_t* buffer, int capacity) {
    if (!isWideApiAvailable()) return ansi::getWindowText(window, buffer, capacity);
    return GetWindowTextW(window, buffer, capacity);
}

bool pathExists(const wchar_t* path, PathKind kind) {
    if (!path) return false;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return matchesKind(found.dwFileAttributes, kind);
}

bool pathExists(const char* path, PathKind kind) {
    if (!path) return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return matchesKind(found.dwFileAttributes, kind);
}

std::string toAnsiCodePage(const std::u16string& text) {
    return wideToAnsi(reinterpret_cast<const wchar_t*>(text.c_str())).get();
}
