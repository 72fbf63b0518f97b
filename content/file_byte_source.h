#pragma once
#include <fstream>
#include <memory>
#include <string>

#include "content/byte_source.h"

// A file read through the C++ library; used by the native tools.
class FileByteSource : public ByteSource {
public:
    // Null when the file cannot be opened.
    static std::unique_ptr<FileByteSource> open(const std::string& path);
    uint64_t size() const override { return size_; }
    bool read(uint64_t offset, void* out, size_t length) override;

private:
    std::ifstream file_;
    uint64_t size_ = 0;
};
