#include "content/file_byte_source.h"

std::unique_ptr<FileByteSource> FileByteSource::open(const std::string& path) {
    std::unique_ptr<FileByteSource> source(new FileByteSource);
    source->file_.open(path, std::ios::binary | std::ios::ate);
    if (!source->file_) return nullptr;
    std::streamoff end = source->file_.tellg();
    if (end < 0) return nullptr;
    source->size_ = static_cast<uint64_t>(end);
    return source;
}

bool FileByteSource::read(uint64_t offset, void* out, size_t length) {
    if (offset > size_ || length > size_ - offset) return false;
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(offset));
    file_.read(static_cast<char*>(out), static_cast<std::streamsize>(length));
    return static_cast<size_t>(file_.gcount()) == length;
}
