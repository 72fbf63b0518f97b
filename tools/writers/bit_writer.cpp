#include "tools/writers/bit_writer.h"

void BitWriter::u8(uint32_t v) {
    align();
    data_.push_back(static_cast<uint8_t>(v));
}

void BitWriter::u16(uint32_t v) {
    u8(v);
    u8(v >> 8);
}

void BitWriter::u32(uint32_t v) {
    u16(v);
    u16(v >> 16);
}

void BitWriter::bits(uint32_t value, unsigned count) {
    for (unsigned i = count; i-- > 0;) {
        pending_ = static_cast<uint8_t>((pending_ << 1) | ((value >> i) & 1u));
        if (++pendingBits_ == 8) {
            data_.push_back(pending_);
            pending_ = 0;
            pendingBits_ = 0;
        }
    }
}

void BitWriter::align() {
    if (pendingBits_ == 0) return;
    data_.push_back(static_cast<uint8_t>(pending_ << (8 - pendingBits_)));
    pending_ = 0;
    pendingBits_ = 0;
}

void BitWriter::bytes(const std::vector<uint8_t>& data) {
    align();
    data_.insert(data_.end(), data.begin(), data.end());
}

void BitWriter::cString(const std::string& s) {
    align();
    data_.insert(data_.end(), s.begin(), s.end());
    data_.push_back(0);
}

unsigned BitWriter::signedBitsFor(std::initializer_list<int32_t> values) {
    unsigned n = 1;
    for (int32_t v : values) {
        while (n < 32) {
            int64_t lo = -(int64_t(1) << (n - 1)), hi = (int64_t(1) << (n - 1)) - 1;
            if (v >= lo && v <= hi) break;
            ++n;
        }
    }
    return n;
}

unsigned BitWriter::unsignedBitsFor(uint32_t value) {
    unsigned n = 0;
    while (n < 32 && (value >> n) != 0) ++n;
    return n;
}
