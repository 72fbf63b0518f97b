#include "player/format/bit_reader.h"

uint8_t BitReader::u8() {
    bitCount_ = 0;
    if (pos_ >= size_) {
        overrun_ = true;
        return 0;
    }
    return data_[pos_++];
}

uint16_t BitReader::u16() {
    uint16_t lo = u8();
    return static_cast<uint16_t>(lo | (u8() << 8));
}

uint32_t BitReader::u32() {
    uint32_t lo = u16();
    return lo | (static_cast<uint32_t>(u16()) << 16);
}

uint32_t BitReader::bits(unsigned count) {
    uint32_t value = 0;
    for (unsigned i = 0; i < count; ++i) {
        if (bitCount_ == 0) {
            if (pos_ >= size_) {
                overrun_ = true;
                bitBuffer_ = 0;
            } else {
                bitBuffer_ = data_[pos_++];
            }
            bitCount_ = 8;
        }
        --bitCount_;
        value = (value << 1) | ((bitBuffer_ >> bitCount_) & 1u);
    }
    return value;
}

int32_t BitReader::signedBits(unsigned count) {
    if (count == 0) return 0;
    uint32_t value = bits(count);
    if (count < 32 && (value & (1u << (count - 1)))) value |= ~0u << count;
    return static_cast<int32_t>(value);
}

void BitReader::skip(size_t count) {
    bitCount_ = 0;
    if (count > remaining()) {
        overrun_ = true;
        pos_ = size_;
    } else {
        pos_ += count;
    }
}

std::string BitReader::cString() {
    std::string s;
    while (true) {
        uint8_t c = u8();
        if (c == 0 || overrun_) return s;
        s.push_back(static_cast<char>(c));
    }
}
