#include "shell/privileges_win.h"

#include "common/system_function_win.h"

#include "shell/process_identity_win.h"

bool isUserAnAdmin() {
    using IsUserAnAdminFn = BOOL(WINAPI*)();
    static const auto test = systemFunction<IsUserAnAdminFn>(L"shell32.dll", "IsUserAnAdmin");
    return !test || test();
}

bool isProcessElevated(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool elevated = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
                          elevation.TokenIsElevated != 0;
    CloseHandle(token);
    return elevated;
}

bool runsAboveMediumIntegrity() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    alignas(TOKEN_MANDATORY_LABEL) BYTE buffer[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    bool above = false;
    if (GetTokenInformation(token, TokenIntegrityLevel, buffer, sizeof buffer, &size)) {
        PSID level = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer)->Label.Sid;
        const UCHAR parts = *GetSidSubAuthorityCount(level);
        above = parts > 0 && *GetSidSubAuthority(level, parts - 1) > SECURITY_MANDATORY_MEDIUM_RID;
    }
    CloseHandle(token);
    return above;
}

namespace {

PSID userOfProcess(HANDLE process, TokenUserBuffer& buffer) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return nullptr;
    PSID user = userOfToken(token, buffer);
    CloseHandle(token);
    return user;
}

}  // namespace

bool isSameUser(HANDLE process, HANDLE other) {
    TokenUserBuffer first, second;
    PSID one = userOfProcess(process, first), two = userOfProcess(other, second);
    return one && two && EqualSid(one, two);
}

EnabledPrivilege::EnabledPrivilege(const wchar_t* name) {
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token_)) {
        token_ = nullptr;
        return;
    }
    TOKEN_PRIVILEGES wanted{};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    DWORD size = 0;
    changed_ = LookupPrivilegeValueW(nullptr, name, &wanted.Privileges[0].Luid) &&
               AdjustTokenPrivileges(token_, FALSE, &wanted, sizeof previous_, &previous_, &size);
}

EnabledPrivilege::~EnabledPrivilege() {
    if (changed_) AdjustTokenPrivileges(token_, FALSE, &previous_, 0, nullptr, nullptr);
    if (token_) CloseHandle(token_);
}
