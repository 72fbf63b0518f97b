#include "control/extra_time_file_win.h"

#include "control/extra_time.h"
#include "control/local_time_win.h"
#include "control/usage_ledger_file_win.h"

bool grantExtraTime(const wchar_t* path, int32_t minutes) {
    ExtraTimeImage image{};
    const uint64_t until = decodeExtraTime(image.data(), readLedgerFile(path, image.data(), image.size()));
    return writeLedgerFile(path, encodeExtraTime(extraTimeAfterGrant(until, systemUtcNow(), minutes)));
}
