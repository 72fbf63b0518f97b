#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Random-access reads from an archive file or from memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Reads exactly length bytes at offset; false when they are not all there.
    virtual bool read(std::uint64_t offset, void* out, std::size_t length) = 0;
};

class MemoryByteSource : public ByteSource {
public:
    explicit MemoryByteSource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool read(std::uint64_t offset, void* out, std::size_t length) override;

private:
    std::vector<std::uint8_t> bytes_;
};
