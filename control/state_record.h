#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

// The per-user usage record; its 28-byte little-endian image is the whole state file.
struct StateRecord {
    uint64_t lastActive = 0;  // UTC FILETIME of the last counted minute or resynchronisation
    uint64_t lastAwake = 0;   // the same, frozen while sleep mode lasts
    int32_t nesselMinutes = 0;
    int32_t hopsaMinutes = 0;
    bool sleepPending = false;       // the turn-off scene was shown; the sleep time follows
    bool firstExerciseDone = false;  // "/show:hopsa-first" has been started once
};

constexpr size_t kStateRecordSize = 28;
using StateImage = std::array<uint8_t, kStateRecordSize>;

StateImage encodeStateRecord(const StateRecord& record);

// Copies every field the image covers whole into the record; fields beyond a
// short image (a new file is empty) keep their values.
void decodeStateRecord(const uint8_t* bytes, size_t size, StateRecord& record);
