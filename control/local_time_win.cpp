#include "control/local_time_win.h"

#include <windows.h>

LocalMinute localMinuteOf(uint64_t utc) {
    FILETIME universal{static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)}, local{};
    SYSTEMTIME universalTime, localTime;
    if (!FileTimeToSystemTime(&universal, &universalTime) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &universalTime, &localTime) ||
        !SystemTimeToFileTime(&localTime, &local))
        FileTimeToLocalFileTime(&universal, &local);  // the bias of today
    return static_cast<LocalMinute>(((uint64_t{local.dwHighDateTime} << 32) | local.dwLowDateTime) / 600'000'000);
}

uint64_t systemUtcNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
}
