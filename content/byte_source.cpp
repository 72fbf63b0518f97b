#include "content/byte_source.h"

#include <cstring>

bool MemoryByteSource::read(uint64_t offset, void* out, size_t length) {
    if (offset > bytes_.size() || length > bytes_.size() - offset) return false;
    if (length != 0) std::memcpy(out, bytes_.data() + offset, length);
    return true;
}
