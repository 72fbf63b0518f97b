#include "shell/hand_over_password_win.h"

#include <windows.h>

#include <cstdint>

#include "common/text_win.h"
#include "crypto/wipe.h"
#include "shell/hand_over_password.h"
#include "shell/hand_over_file_win.h"
#include "shell/data_locations_win.h"

std::u16string takeHandOverPassword() {
    uint8_t bytes[kHandOverReadBytes];
    DWORD read = 0;
    const wchar_t* path = dataLocations().handOverPath();
    HANDLE file = createFileU(path, GENERIC_READ, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (file != INVALID_HANDLE_VALUE) {
        if (!ReadFile(file, bytes, sizeof bytes, &read, nullptr)) read = 0;
        CloseHandle(file);
    }
    wipeHandOverFile(path);
    std::u16string password = passwordFromHandOver(bytes, read);
    wipeMemory(bytes, sizeof bytes);
    return password;
}
