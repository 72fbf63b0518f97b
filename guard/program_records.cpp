#include "guard/program_records.h"

#include "common/little_endian.h"

std::vector<uint8_t> encodeProgramRecords(const std::map<std::u16string, CalendarRecord>& records) {
    std::vector<uint8_t> bytes;
    for (const auto& [name, record] : records) {
        if (name.size() > UINT16_MAX) continue;
        const size_t at = bytes.size();
        bytes.resize(at + 2 + 2 * name.size());
        putLittleEndian(&bytes[at], name.size(), 2);
        for (size_t i = 0; i < name.size(); ++i) putLittleEndian(&bytes[at + 2 + 2 * i], name[i], 2);
        const CalendarImage image = encodeCalendarRecord(record);
        bytes.insert(bytes.end(), image.begin(), image.end());
    }
    return bytes;
}

std::map<std::u16string, CalendarRecord> decodeProgramRecords(const uint8_t* bytes, size_t size) {
    std::map<std::u16string, CalendarRecord> records;
    for (size_t at = 0; size - at >= 2;) {
        const size_t units = static_cast<size_t>(getLittleEndian(bytes + at, 2));
        if (size - at - 2 < 2 * units + kCalendarRecordSize) break;
        std::u16string name(units, u'\0');
        for (size_t i = 0; i < units; ++i) name[i] = static_cast<char16_t>(getLittleEndian(bytes + at + 2 + 2 * i, 2));
        at += 2 + 2 * units;
        records[name] = decodeCalendarRecord(bytes + at, kCalendarRecordSize);
        at += kCalendarRecordSize;
    }
    return records;
}
