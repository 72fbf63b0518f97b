#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Random-access reads from an archive file or from memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t size() const = 0;
    // Reads exactly length bytes at offset; false when they are not all there.
    virtual bool read(uint64_t offset, void* out, size_t length) = 0;
};

class MemoryByteSource : public ByteSource {
public:
    explicit MemoryByteSource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    uint64_t size() const override { return bytes_.size(); }
    bool read(uint64_t offset, void* out, size_t length) override;

private:
    std::vector<uint8_t> bytes_;
};
