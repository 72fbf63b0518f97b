#include "control/time_request.h"

#include <algorithm>

#include "common/little_endian.h"

bool requestableMinutes(int32_t minutes) {
    return std::find(std::begin(kRequestMinutes), std::end(kRequestMinutes), minutes) != std::end(kRequestMinutes);
}

TimeRequest answeredBy(TimeRequest request, uint64_t extraTimeUntil) {
    request.granted = request.granted || extraTimeUntil > request.extraTimeBefore;
    return request;
}

std::vector<uint8_t> encodeTimeRequest(const TimeRequest& request) {
    const size_t units = std::min(request.reason.size(), kReasonLimit);
    std::vector<uint8_t> bytes(kTimeRequestHead + 2 * units);
    putLittleEndian(&bytes[0], request.at, 8);
    putLittleEndian(&bytes[8], static_cast<uint32_t>(request.minutes), 4);
    putLittleEndian(&bytes[12], request.extraTimeBefore, 8);
    putLittleEndian(&bytes[20], request.granted ? 1 : 0, 8);
    for (size_t i = 0; i < units; ++i) putLittleEndian(&bytes[kTimeRequestHead + 2 * i], request.reason[i], 2);
    return bytes;
}

std::optional<TimeRequest> decodeTimeRequest(const uint8_t* bytes, size_t size) {
    if (size < kTimeRequestHead || (size - kTimeRequestHead) % 2 != 0 || (size - kTimeRequestHead) / 2 > kReasonLimit) return std::nullopt;
    TimeRequest request;
    request.at = getLittleEndian(bytes, 8);
    request.minutes = static_cast<int32_t>(getLittleEndian(bytes + 8, 4));
    request.extraTimeBefore = getLittleEndian(bytes + 12, 8);
    const uint64_t granted = getLittleEndian(bytes + 20, 8);
    if (granted > 1 || !requestableMinutes(request.minutes)) return std::nullopt;
    request.granted = granted == 1;
    for (size_t at = kTimeRequestHead; at < size; at += 2) request.reason += static_cast<char16_t>(getLittleEndian(bytes + at, 2));
    return request;
}
