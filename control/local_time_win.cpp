#include "control/local_time_win.h"

#include <windows.h>

namespace {

constexpr wchar_t kZoneList[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\";
constexpr size_t kLongestZoneName = 127;

// The zone's "TZI" value as the list stores it.
struct StoredZoneRules {
    LONG bias;
    LONG standardBias;
    LONG daylightBias;
    SYSTEMTIME standardDate;
    SYSTEMTIME daylightDate;
};

bool zoneRules(const std::u16string& zone, TIME_ZONE_INFORMATION& rules) {
    if (zone.empty() || zone.size() > kLongestZoneName || zone.find(u'\\') != std::u16string::npos) return false;
    const std::wstring key = kZoneList + std::wstring(zone.begin(), zone.end());
    HKEY list = nullptr;
    // The list lives in the 64-bit view, which a 32-bit process must ask for.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &list) != ERROR_SUCCESS)
        return false;
    StoredZoneRules stored{};
    DWORD type = 0, size = sizeof stored;
    const bool read =
        RegQueryValueExW(list, L"TZI", nullptr, &type, reinterpret_cast<BYTE*>(&stored), &size) == ERROR_SUCCESS &&
        type == REG_BINARY && size == sizeof stored;
    RegCloseKey(list);
    if (!read) return false;
    rules = TIME_ZONE_INFORMATION{};
    rules.Bias = stored.bias;
    rules.StandardBias = stored.standardBias;
    rules.DaylightBias = stored.daylightBias;
    rules.StandardDate = stored.standardDate;
    rules.DaylightDate = stored.daylightDate;
    return true;
}

}  // namespace

LocalMinute localMinuteOf(uint64_t utc, const std::u16string& zone) {
    TIME_ZONE_INFORMATION rules;
    const TIME_ZONE_INFORMATION* named = zoneRules(zone, rules) ? &rules : nullptr;
    FILETIME universal{static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)}, local{};
    SYSTEMTIME universalTime, localTime;
    if (!FileTimeToSystemTime(&universal, &universalTime) ||
        !SystemTimeToTzSpecificLocalTime(named, &universalTime, &localTime) ||
        !SystemTimeToFileTime(&localTime, &local))
        FileTimeToLocalFileTime(&universal, &local);  // the bias of today
    return static_cast<LocalMinute>(((uint64_t{local.dwHighDateTime} << 32) | local.dwLowDateTime) / 600'000'000);
}

std::u16string currentTimeZoneName() {
    using DynamicZone = DWORD(WINAPI*)(DYNAMIC_TIME_ZONE_INFORMATION*);
    const auto dynamicZone = reinterpret_cast<DynamicZone>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetDynamicTimeZoneInformation")));
    DYNAMIC_TIME_ZONE_INFORMATION zone{};
    if (!dynamicZone || dynamicZone(&zone) == TIME_ZONE_ID_INVALID) return {};
    return reinterpret_cast<const char16_t*>(zone.TimeZoneKeyName);
}

uint64_t systemUtcNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
}
