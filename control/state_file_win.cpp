#include "control/state_file_win.h"

#include "common/text_win.h"

StateFile::StateFile(const wchar_t* path)
    : file_(createFileU(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL)) {}

StateFile::~StateFile() {
    if (isOpen()) CloseHandle(file_);
}

size_t StateFile::read(uint8_t* bytes, size_t capacity) {
    if (!isOpen() || SetFilePointer(file_, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return 0;
    DWORD read = 0;
    if (!ReadFile(file_, bytes, static_cast<DWORD>(capacity), &read, nullptr)) return 0;
    return read;
}

void StateFile::write(const StateImage& image) {
    if (!isOpen() || SetFilePointer(file_, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return;
    DWORD written = 0;
    WriteFile(file_, image.data(), static_cast<DWORD>(image.size()), &written, nullptr);
    FlushFileBuffers(file_);
}
