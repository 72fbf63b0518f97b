#pragma once
// Hex text to bytes for test vectors.
#include <cstdint>
#include <string>
#include <vector>

inline std::vector<uint8_t> hexBytes(const std::string& hex) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// Reverses each 4-byte group: converts between the big-endian block order of
// published Blowfish vectors and the little-endian halves used here.
inline std::vector<uint8_t> swappedHalves(std::vector<uint8_t> bytes) {
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        std::swap(bytes[i], bytes[i + 3]);
        std::swap(bytes[i + 1], bytes[i + 2]);
    }
    return bytes;
}
