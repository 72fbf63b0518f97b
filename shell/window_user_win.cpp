#include "shell/window_user_win.h"

#include <shlobj.h>

#include <cwchar>

#include "common/system_function_win.h"
#include "common/text_win.h"
#include "shell/data_locations_win.h"
#include "shell/privileges_win.h"

namespace {

// The primary token of the window's process, or null.
HANDLE processTokenOf(HWND window) {
    DWORD processId = 0;
    if (!GetWindowThreadProcessId(window, &processId)) return nullptr;
    EnabledPrivilege debug(SE_DEBUG_NAME);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (!process) return nullptr;
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY | TOKEN_IMPERSONATE | TOKEN_DUPLICATE, &token)) token = nullptr;
    CloseHandle(process);
    return token;
}

}  // namespace

WindowUser::~WindowUser() {
    if (token_) CloseHandle(token_);
}

void WindowUser::set(const wchar_t* handOverPath, HANDLE impersonationToken) {
    std::wcsncpy(handOverPath_, handOverPath, MAX_PATH - 1);
    if (token_) CloseHandle(token_);
    token_ = impersonationToken;
}

bool findWindowUser(HWND window, WindowUser& user) {
    if (!isWideApiAvailable()) {
        user.set(dataLocations().handOverPath(), nullptr);
        return true;
    }
    using GetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    static const auto getFolderPath = systemFunction<GetFolderPathFn>(L"shell32.dll", "SHGetFolderPathW");
    HANDLE token = getFolderPath ? processTokenOf(window) : nullptr;
    if (!token) return false;
    wchar_t folder[MAX_PATH] = L"", path[MAX_PATH] = L"";
    HANDLE impersonation = nullptr;
    const bool found = getFolderPath(nullptr, CSIDL_APPDATA, token, SHGFP_TYPE_CURRENT, folder) == S_OK && folder[0] &&
                       DataLocations::handOverPathUnder(folder, path) &&
                       DuplicateToken(token, SecurityImpersonation, &impersonation);
    CloseHandle(token);
    if (found) user.set(path, impersonation);
    return found;
}

ActingAs::ActingAs(HANDLE impersonationToken) {
    if (!impersonationToken) return;
    acting_ = succeeded_ = SetThreadToken(nullptr, impersonationToken) != FALSE;
}

ActingAs::~ActingAs() {
    if (acting_) RevertToSelf();
}
