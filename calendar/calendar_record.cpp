#include "calendar/calendar_record.h"

#include <algorithm>

#include "common/little_endian.h"

namespace {

void put(CalendarImage& image, size_t offset, uint64_t value, size_t width) {
    putLittleEndian(image.data() + offset, value, width);
}

uint64_t get(const uint8_t* bytes, size_t offset, size_t width) { return getLittleEndian(bytes + offset, width); }

}  // namespace

CalendarImage encodeCalendarRecord(const CalendarRecord& record) {
    CalendarImage image{};
    put(image, 0, static_cast<uint32_t>(record.budgetDay), 4);
    put(image, 4, static_cast<uint32_t>(record.usedMinutes), 4);
    put(image, 8, static_cast<uint64_t>(record.closedAt), 8);
    put(image, 16, static_cast<uint32_t>(record.exercises), 4);
    put(image, 20, static_cast<uint32_t>(record.shutdowns), 4);
    put(image, 24, record.parentsMode ? 1 : 0, 4);
    return image;
}

CalendarRecord decodeCalendarRecord(const uint8_t* bytes, size_t size) {
    CalendarRecord record;
    if (size < kCalendarRecordSize) return record;
    record.budgetDay = static_cast<int32_t>(static_cast<uint32_t>(get(bytes, 0, 4)));
    record.usedMinutes = static_cast<int32_t>(static_cast<uint32_t>(get(bytes, 4, 4)));
    record.closedAt = static_cast<LocalMinute>(get(bytes, 8, 8));
    record.exercises = std::clamp(static_cast<int32_t>(static_cast<uint32_t>(get(bytes, 16, 4))), 0, kMinutesPerDay);
    record.shutdowns = std::clamp(static_cast<int32_t>(static_cast<uint32_t>(get(bytes, 20, 4))), 0, kMinutesPerDay);
    record.parentsMode = get(bytes, 24, 4) != 0;
    // Values no clock gives: a damaged file, taken as fresh where they would count against nobody.
    if (record.budgetDay < 0 || record.usedMinutes < 0) record.budgetDay = record.usedMinutes = 0;
    if (record.usedMinutes > kMinutesPerDay) record.usedMinutes = kMinutesPerDay;
    if (record.closedAt < 0) record.closedAt = 0;
    return record;
}

CalendarRecord stricterCalendarRecord(const CalendarRecord& own, const CalendarRecord& trusted, LocalMinute now) {
    if (own.closedAt > now || own.budgetDay > now / kMinutesPerDay) return trusted;
    CalendarRecord result = own.budgetDay > trusted.budgetDay ? own : trusted;
    if (own.budgetDay == trusted.budgetDay) {
        result.usedMinutes = std::max(own.usedMinutes, trusted.usedMinutes);
        result.exercises = std::max(own.exercises, trusted.exercises);
        result.shutdowns = std::max(own.shutdowns, trusted.shutdowns);
    }
    result.closedAt = std::max(own.closedAt, trusted.closedAt);
    result.parentsMode = false;
    return result;
}
