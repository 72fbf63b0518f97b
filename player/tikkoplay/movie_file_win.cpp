#include "player/tikkoplay/movie_file_win.h"

#include <windows.h>

#include <algorithm>

namespace {
constexpr DWORD kMaxMovieBytes = 64u << 20;
constexpr DWORD kHeaderBytes = 8;
}  // namespace

bool readMovieFile(const char* ansiPath, std::vector<uint8_t>& bytes) {
    bytes.clear();
    if (!ansiPath) return false;
    HANDLE file =
        CreateFileA(ansiPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    uint8_t header[kHeaderBytes];
    DWORD got = 0;
    bool ok = ReadFile(file, header, kHeaderBytes, &got, nullptr) && got == kHeaderBytes;
    DWORD size = ok ? SetFilePointer(file, 0, nullptr, FILE_END) : INVALID_SET_FILE_POINTER;
    ok = ok && size != INVALID_SET_FILE_POINTER && size >= kHeaderBytes && size <= kMaxMovieBytes &&
         SetFilePointer(file, kHeaderBytes, nullptr, FILE_BEGIN) == kHeaderBytes;
    if (ok) {
        bytes.assign(header, header + kHeaderBytes);
        bytes.resize(size);
        DWORD position = kHeaderBytes;
        while (position < size) {
            DWORD read = 0;
            if (!ReadFile(file, bytes.data() + position, std::min<DWORD>(size - position, 1u << 20), &read, nullptr) ||
                read == 0)
                break;
            position += read;
        }
        bytes.resize(position);
    }
    CloseHandle(file);
    return ok;
}
