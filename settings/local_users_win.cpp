#include "settings/local_users_win.h"

#include <windows.h>
#include <lm.h>

namespace {

using NetUserEnumFn = NET_API_STATUS(WINAPI*)(LPCWSTR, DWORD, DWORD, LPBYTE*, DWORD, LPDWORD, LPDWORD, LPDWORD);
using NetApiBufferFreeFn = NET_API_STATUS(WINAPI*)(LPVOID);

}  // namespace

int enumerateLocalUsers(std::vector<std::u16string>& list) {
    list.clear();
    HMODULE library = LoadLibraryA("netapi32.dll");
    if (!library) return -1;
    auto enumerate = reinterpret_cast<NetUserEnumFn>(GetProcAddress(library, "NetUserEnum"));
    auto release = reinterpret_cast<NetApiBufferFreeFn>(GetProcAddress(library, "NetApiBufferFree"));
    if (!enumerate) return -2;
    DWORD resume = 0;
    for (;;) {
        BYTE* buffer = nullptr;
        DWORD read = 0, total = 0;
        const NET_API_STATUS status =
            enumerate(nullptr, 0, FILTER_NORMAL_ACCOUNT, &buffer, MAX_PREFERRED_LENGTH, &read, &total, &resume);
        if (status == NERR_Success || status == ERROR_MORE_DATA) {
            const auto* users = reinterpret_cast<const USER_INFO_0*>(buffer);
            for (DWORD i = 0; i < read; ++i)
                if (users[i].usri0_name) list.emplace_back(reinterpret_cast<const char16_t*>(users[i].usri0_name));
        }
        if (buffer && release) release(buffer);
        // A page that adds nothing ends the walk, so a failing call cannot loop.
        if ((status != NERR_Success && status != ERROR_MORE_DATA) || read == 0 || list.size() >= total) break;
    }
    return 0;
}
