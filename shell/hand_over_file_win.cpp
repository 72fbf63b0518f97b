#include "shell/hand_over_file_win.h"

#include <cwchar>

#include "common/text_win.h"
#include "shell/hand_over_password.h"
#include "shell/path_steps.h"

namespace {

constexpr DWORD kWipeBlockBytes = 1024;
// The last step is opened as itself, never followed, should it become a link
// after the check (Windows 9x knows no such flag).
DWORD openFlags() { return FILE_ATTRIBUTE_NORMAL | (isWideApiAvailable() ? FILE_FLAG_OPEN_REPARSE_POINT : 0); }

}  // namespace

bool passesReparsePoint(const wchar_t* path) {
    // Windows 9x has no reparse points and no wide file functions.
    if (!isWideApiAvailable()) return false;
    // Each step is cut from a copy in place: nothing is allocated while a
    // password may lie freed on the heap.
    wchar_t step[MAX_PATH];
    const size_t length = std::wcslen(path);
    if (length >= MAX_PATH) return true;
    std::wmemcpy(step, path, length + 1);
    bool passes = false;
    forEachPathStep(std::u16string_view(reinterpret_cast<const char16_t*>(path), length), [&](size_t end) {
        const wchar_t kept = step[end];
        step[end] = 0;
        const DWORD attributes = GetFileAttributesW(step);
        passes = passes || (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT));
        step[end] = kept;
    });
    return passes;
}

bool writeHandOverFile(const wchar_t* path, const wchar_t* password) {
    if (passesReparsePoint(path)) return false;
    HANDLE file = createFileU(path, GENERIC_WRITE, 0, CREATE_ALWAYS, openFlags());
    if (file == INVALID_HANDLE_VALUE) return false;
    const auto size = static_cast<DWORD>((std::wcslen(password) + 1) * sizeof(wchar_t));
    DWORD written = 0;
    const bool whole = WriteFile(file, password, size, &written, nullptr) && written == size;
    CloseHandle(file);
    return whole;
}

void wipeHandOverFile(const wchar_t* path) {
    if (passesReparsePoint(path)) return;
    setFileAttributesU(path, FILE_ATTRIBUTE_NORMAL);
    HANDLE file = createFileU(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, openFlags());
    if (file != INVALID_HANDLE_VALUE) {
        // Everything a sender may have written: the longest password the
        // module reads, or the whole file when it is longer still.
        static const char zeros[kWipeBlockBytes] = {};
        const DWORD size = GetFileSize(file, nullptr);
        DWORD left = size != INVALID_FILE_SIZE && size > kHandOverReadBytes ? size : DWORD{kHandOverReadBytes};
        for (DWORD written = 0; left > 0; left -= written)
            if (!WriteFile(file, zeros, left < kWipeBlockBytes ? left : kWipeBlockBytes, &written, nullptr) ||
                written == 0)
                break;
        FlushFileBuffers(file);
        CloseHandle(file);
    }
    deleteFileU(path);
}
