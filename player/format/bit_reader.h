#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Reads little-endian fields and MSB-first bit fields from a byte range.
// Reading past the end yields zeros and sets the overrun flag; it never
// touches memory outside the range.
class BitReader {
public:
    BitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    uint32_t bits(unsigned count);
    int32_t signedBits(unsigned count);
    void align() { bitCount_ = 0; }
    void skip(size_t count);
    std::string cString();

    size_t position() const { return pos_; }
    size_t remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }
    bool overrun() const { return overrun_; }
    const uint8_t* here() const { return data_ + (pos_ < size_ ? pos_ : size_); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    uint8_t bitBuffer_ = 0;
    unsigned bitCount_ = 0;
    bool overrun_ = false;
};
