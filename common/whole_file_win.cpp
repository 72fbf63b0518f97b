#include "common/whole_file_win.h"

#include <cwchar>
#include <string>

#include "common/text_win.h"

namespace {

// A reader may hold the file open for a moment; the replacement waits for it.
constexpr int kReplaceAttempts = 25;
constexpr DWORD kReplaceRetryMs = 20;
// Larger files are refused rather than risk an allocation that cannot succeed.
constexpr DWORD kLargestFile = 64u << 20;

std::wstring folderOf(const wchar_t* path) {
    const wchar_t* slash = std::wcsrchr(path, L'\\');
    return slash ? std::wstring(path, slash) : std::wstring(L".");
}

bool makeTemporaryFile(const wchar_t* path, wchar_t* temporary) {
    std::wstring folder = folderOf(path);
    if (isWideApiAvailable()) return GetTempFileNameW(folder.c_str(), L"qz", 0, temporary) != 0;
    char narrow[MAX_PATH];
    if (!GetTempFileNameA(wideToCodePage(kFileNameCodePage, folder.c_str()).get(), "qz", 0, narrow)) return false;
    return toWide(kFileNameCodePage, narrow, temporary, MAX_PATH) > 0;
}

bool replaceOnce(const wchar_t* from, const wchar_t* to) {
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (isWideApiAvailable()) return MoveFileExW(from, to, flags);
    auto narrowFrom = wideToCodePage(kFileNameCodePage, from);
    auto narrowTo = wideToCodePage(kFileNameCodePage, to);
    if (MoveFileExA(narrowFrom.get(), narrowTo.get(), flags)) return true;
    // Windows 9x has no MoveFileEx: the closest it offers is delete, then rename.
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
    DeleteFileA(narrowTo.get());
    return MoveFileA(narrowFrom.get(), narrowTo.get());
}

bool replaceFile(const wchar_t* from, const wchar_t* to) {
    for (int attempt = 1;; ++attempt) {
        if (replaceOnce(from, to)) return true;
        DWORD error = GetLastError();
        if (attempt == kReplaceAttempts || (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED))
            return false;
        Sleep(kReplaceRetryMs);
    }
}

bool writeAndFlush(const wchar_t* path, const uint8_t* bytes, DWORD length) {
    HANDLE file = createFileU(path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes, length, &written, nullptr) && written == length && FlushFileBuffers(file);
    return CloseHandle(file) && ok;
}

}  // namespace

DWORD readWholeFile(const wchar_t* path, std::vector<uint8_t>& buffer) {
    HANDLE file = createFileU(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD size = GetFileSize(file, nullptr);
    DWORD read = 0;
    if (size != INVALID_FILE_SIZE && size <= kLargestFile) {
        buffer.resize(size);
        if (!ReadFile(file, buffer.data(), size, &read, nullptr)) read = 0;
        buffer.resize(read);
    }
    CloseHandle(file);
    return read;
}

bool writeWholeFile(const wchar_t* path, const uint8_t* bytes, DWORD length) {
    wchar_t temporary[MAX_PATH];
    if (!makeTemporaryFile(path, temporary)) return false;
    if (writeAndFlush(temporary, bytes, length) && replaceFile(temporary, path)) return true;
    deleteFileU(temporary);
    return false;
}
