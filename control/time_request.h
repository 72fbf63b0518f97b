#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A child's request for more time, which the guard's module sends the guard
// and the guard keeps, one at a time, in the folder users only read: the
// child's module shows whether it was granted, the parents see it when they
// open their week or the icon's menu. It decides nothing: only the parents'
// extra time, given with their password, does.
struct TimeRequest {
    uint64_t at = 0;               // UTC, when the guard took it
    int32_t minutes = 0;           // asked for
    uint64_t extraTimeBefore = 0;  // the child's extra time then: a later grant answers it
    bool granted = false;
    std::u16string reason;  // what for, in the child's words
};

constexpr int32_t kRequestMinutes[] = {15, 30, 60};
constexpr size_t kReasonLimit = 200;  // code units
constexpr size_t kTimeRequestHead = 28;
constexpr size_t kTimeRequestLimit = kTimeRequestHead + 2 * kReasonLimit;

// Whether the minutes are ones a child may ask for.
bool requestableMinutes(int32_t minutes);
// The request answered by the parents' extra time, as it stands now.
TimeRequest answeredBy(TimeRequest request, uint64_t extraTimeUntil);

// 28 bytes of little-endian fields (the moment, the minutes, the extra time
// before, granted), then the reason's UTF-16 units.
std::vector<uint8_t> encodeTimeRequest(const TimeRequest& request);
// Nothing for a damaged image or one whose reason is too long.
std::optional<TimeRequest> decodeTimeRequest(const uint8_t* bytes, size_t size);
