#pragma once
#include <windows.h>

// The user of a token, read into a buffer large enough for any SID.
struct TokenUserBuffer {
    alignas(TOKEN_USER) BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
};
// The token's user SID, inside the buffer; null when it cannot be read.
PSID userOfToken(HANDLE token, TokenUserBuffer& buffer);

// The full path of a process's program: QueryFullProcessImageNameW from
// Windows Vista on, the process-status library's look-up on Windows XP.
bool programOfProcess(HANDLE process, wchar_t (&path)[MAX_PATH]);
