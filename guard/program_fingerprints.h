#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "calendar/program_groups.h"

// The files the guard saw run under a name the parents gave, by their
// fingerprint, so that a copy renamed and without version information is
// still known: a game renamed "learn.exe" is still the game.

// A fingerprint is the SHA-256 of the file's size (8 bytes, little-endian)
// and of its first and last kFingerprintedBytes.
constexpr size_t kFingerprintSize = 32;
constexpr size_t kFingerprintedBytes = size_t{1} << 20;

struct ProgramMatch {
    int group = -1;        // -1: in no group
    bool renamed = false;  // its file's name is not one the group gives
    bool copied = false;   // its file, under its own name, lies elsewhere than where it was first seen
};

class ProgramFingerprints {
public:
    static constexpr size_t kKept = 256;  // fingerprints learned, past which the oldest goes

    // The program's group: by its names, or by the name its file was first
    // seen under. Where the two differ, a limited group wins over an
    // always-allowed one. A program known by its own file's name teaches its
    // fingerprint and its path (in any case).
    ProgramMatch match(const std::vector<ProgramGroup>& groups, const ProgramIdentity& program,
                       const std::u16string& path);

    // Each fingerprint, then the name and the path (each a 16-bit count of
    // UTF-16 units and the units, little-endian), the oldest first. Decoding adds a file's to those
    // learned since; a cut file gives its whole entries.
    std::vector<uint8_t> encode() const;
    void decode(const uint8_t* bytes, size_t size);
    // How many fingerprints were ever learned: a keeper writes only when it grew.
    uint64_t learnedCount() const { return learnedCount_; }

private:
    struct Seen {
        std::u16string fileName;  // in lower case
        std::u16string path;      // in lower case
    };
    void learn(const std::string& fingerprint, Seen seen);

    std::map<std::string, Seen> names_;            // by fingerprint
    std::vector<std::string> order_;               // the fingerprints, the oldest learned first
    uint64_t learnedCount_ = 0;
};
