#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The user of a token, read into a buffer large enough for any SID.
struct TokenUserBuffer {
    alignas(TOKEN_USER) BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
};
// The token's user SID, inside the buffer; null when it cannot be read.
PSID userOfToken(HANDLE token, TokenUserBuffer& buffer);

// The full path of a process's program: QueryFullProcessImageNameW from
// Windows Vista on, the process-status library's look-up on Windows XP.
bool programOfProcess(HANDLE process, wchar_t (&path)[MAX_PATH]);

// A process as Windows lists it: its number, session and program's file name.
struct ListedProcess {
    DWORD id;
    DWORD session;
    std::wstring name;
};
// Every process whose session can be told, from one snapshot.
std::vector<ListedProcess> listedProcesses();

