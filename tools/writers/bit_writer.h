#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes little-endian fields and MSB-first bit fields.
class BitWriter {
public:
    void u8(uint32_t v);
    void u16(uint32_t v);
    void u32(uint32_t v);
    void bits(uint32_t value, unsigned count);
    void signedBits(int32_t value, unsigned count) { bits(static_cast<uint32_t>(value), count); }
    void align();
    void bytes(const std::vector<uint8_t>& data);
    void cString(const std::string& s);

    // Bits a signed / unsigned field needs to hold every given value.
    static unsigned signedBitsFor(std::initializer_list<int32_t> values);
    static unsigned unsignedBitsFor(uint32_t value);

    std::vector<uint8_t>& data() {
        align();
        return data_;
    }

private:
    std::vector<uint8_t> data_;
    uint8_t pending_ = 0;
    unsigned pendingBits_ = 0;
};
