#include "guard/event_log_win.h"

#include <cwchar>

const wchar_t kEventSource[] = L"Pallo";

namespace {

constexpr wchar_t kSourcesKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";
constexpr DWORD kTypesSupported = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;

}  // namespace

bool registerEventSource() {
    wchar_t program[MAX_PATH], key[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || std::swprintf(key, MAX_PATH, L"%ls%ls", kSourcesKey, kEventSource) < 0)
        return false;
    HKEY source = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &source, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const DWORD types = kTypesSupported;
    const bool written =
        RegSetValueExW(source, L"EventMessageFile", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(program),
                       (length + 1) * sizeof(wchar_t)) == ERROR_SUCCESS &&
        RegSetValueExW(source, L"TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types), sizeof types) ==
            ERROR_SUCCESS;
    RegCloseKey(source);
    return written;
}

void removeEventSource() {
    wchar_t key[MAX_PATH];
    if (std::swprintf(key, MAX_PATH, L"%ls%ls", kSourcesKey, kEventSource) > 0) RegDeleteKeyW(HKEY_LOCAL_MACHINE, key);
}

void reportGuardEvent(uint32_t id, bool warning, const wchar_t* insert) {
    HANDLE log = RegisterEventSourceW(nullptr, kEventSource);
    if (!log) return;
    const wchar_t* inserts[] = {insert};
    ReportEventW(log, warning ? EVENTLOG_WARNING_TYPE : EVENTLOG_INFORMATION_TYPE, 0, id, nullptr, 1, 0, inserts,
                 nullptr);
    DeregisterEventSource(log);
}
