#include "control/state_record.h"

#include "common/little_endian.h"

namespace {

constexpr size_t kLastActive = 0;
constexpr size_t kLastAwake = 8;
constexpr size_t kNesselMinutes = 16;
constexpr size_t kHopsaMinutes = 20;
constexpr size_t kSleepPending = 24;
constexpr size_t kFirstExerciseDone = 25;

void put(StateImage& image, size_t offset, uint64_t value, size_t width) {
    putLittleEndian(image.data() + offset, value, width);
}

uint64_t get(const uint8_t* bytes, size_t offset, size_t width) { return getLittleEndian(bytes + offset, width); }

bool covers(size_t size, size_t offset, size_t width) { return size >= offset + width; }

}  // namespace

StateImage encodeStateRecord(const StateRecord& record) {
    StateImage image{};
    put(image, kLastActive, record.lastActive, 8);
    put(image, kLastAwake, record.lastAwake, 8);
    put(image, kNesselMinutes, static_cast<uint32_t>(record.nesselMinutes), 4);
    put(image, kHopsaMinutes, static_cast<uint32_t>(record.hopsaMinutes), 4);
    image[kSleepPending] = record.sleepPending ? 1 : 0;
    image[kFirstExerciseDone] = record.firstExerciseDone ? 1 : 0;
    return image;
}

void decodeStateRecord(const uint8_t* bytes, size_t size, StateRecord& record) {
    if (covers(size, kLastActive, 8)) record.lastActive = get(bytes, kLastActive, 8);
    if (covers(size, kLastAwake, 8)) record.lastAwake = get(bytes, kLastAwake, 8);
    if (covers(size, kNesselMinutes, 4))
        record.nesselMinutes = static_cast<int32_t>(static_cast<uint32_t>(get(bytes, kNesselMinutes, 4)));
    if (covers(size, kHopsaMinutes, 4))
        record.hopsaMinutes = static_cast<int32_t>(static_cast<uint32_t>(get(bytes, kHopsaMinutes, 4)));
    if (covers(size, kSleepPending, 1)) record.sleepPending = bytes[kSleepPending] != 0;
    if (covers(size, kFirstExerciseDone, 1)) record.firstExerciseDone = bytes[kFirstExerciseDone] != 0;
}
