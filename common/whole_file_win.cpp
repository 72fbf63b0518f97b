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

std::optional<std::vector<uint8_t>> readExistingFile(const wchar_t* path) {
    HANDLE file = createFileU(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::vector<uint8_t>();
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    const DWORD size = GetFileSize(file, nullptr);
    DWORD read = 0;
    const bool whole = size != INVALID_FILE_SIZE && size <= kLargestFile &&
                       (bytes.resize(size), size == 0 || ReadFile(file, bytes.data(), size, &read, nullptr)) &&
                       read == size;
    CloseHandle(file);
    if (!whole) return std::nullopt;
    return bytes;
}

DWORD readWholeFile(const wchar_t* path, std::vector<uint8_t>& buffer) {
    std::optional<std::vector<uint8_t>> bytes = readExistingFile(path);
    if (!bytes || bytes->empty()) return 0;
    buffer = std::move(*bytes);
    return static_cast<DWORD>(buffer.size());
}

bool writeWholeFile(const wchar_t* path, const uint8_t* bytes, DWORD length) {
    wchar_t temporary[MAX_PATH];
    if (!makeTemporaryFile(path, temporary)) return false;
    if (writeAndFlush(temporary, bytes, length) && replaceFile(temporary, path)) return true;
    deleteFileU(temporary);
    return false;
}
