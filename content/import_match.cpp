#include "content/import_match.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kMostHops = 8;
constexpr uint8_t kHotPatchPrologue[] = {0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x5D};
constexpr uint8_t kHotPatchPrologue64[] = {0x48, 0x8D, 0xA4, 0x24, 0x00, 0x00, 0x00, 0x00};
constexpr uint8_t kRexW = 0x48;

// A little-endian value of `size` bytes (4 or 8).
bool readValue(const ReadProcessBytes& read, uint64_t address, size_t size, uint64_t& value) {
    uint8_t bytes[8];
    if (!read(address, bytes, size)) return false;
    value = 0;
    for (size_t i = size; i-- > 0;) value = value << 8 | bytes[i];
    return true;
}

bool readDisplacement(const ReadProcessBytes& read, uint64_t address, int64_t& displacement) {
    uint64_t word;
    if (!readValue(read, address, 4, word)) return false;
    displacement = int32_t(uint32_t(word));
    return true;
}

// The destination of the jump at `address`, or 0 when the code there does not
// begin with one. x86 addresses wrap at 4 GB.
uint64_t jumpDestination(uint64_t address, const ReadProcessBytes& read, CodeWidth width) {
    const bool x64 = width == CodeWidth::X64;
    const uint64_t addressMask = x64 ? ~uint64_t(0) : 0xFFFFFFFFu;
    const uint8_t* hotPatch = x64 ? kHotPatchPrologue64 : kHotPatchPrologue;
    const size_t hotPatchSize = x64 ? sizeof kHotPatchPrologue64 : sizeof kHotPatchPrologue;
    uint8_t op[2];
    if (!read(address, op, 2)) return 0;
    uint64_t at = address;
    uint8_t prologue[sizeof kHotPatchPrologue64];
    if (op[0] == hotPatch[0] && op[1] == hotPatch[1] && read(address, prologue, hotPatchSize) &&
        std::memcmp(prologue, hotPatch, hotPatchSize) == 0) {
        at += hotPatchSize;
        if (!read(at, op, 2)) return 0;
    }
    if (x64 && op[0] == kRexW) {
        if (!read(at + 1, op, 2) || op[0] != 0xFF || op[1] != 0x25) return 0;
        ++at;
    }
    int64_t displacement;
    if (op[0] == 0xFF && op[1] == 0x25) {
        if (!readDisplacement(read, at + 2, displacement)) return 0;
        uint64_t slot = x64 ? at + 6 + displacement : uint32_t(displacement);
        uint64_t destination;
        if (!readValue(read, slot, x64 ? 8 : 4, destination)) return 0;
        return destination;
    }
    if (op[0] == 0xE9) {
        if (!readDisplacement(read, at + 1, displacement)) return 0;
        return (at + 5 + displacement) & addressMask;
    }
    if (op[0] == 0xEB) return (at + 2 + int8_t(op[1])) & addressMask;
    return 0;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

}  // namespace

std::vector<uint64_t> jumpChain(uint64_t address, const ReadProcessBytes& read, CodeWidth width) {
    std::vector<uint64_t> chain{address};
    for (int hop = 0; hop < kMostHops; ++hop) {
        uint64_t next = jumpDestination(chain.back(), read, width);
        if (!next || std::find(chain.begin(), chain.end(), next) != chain.end()) break;
        chain.push_back(next);
    }
    return chain;
}

uint32_t pushStubOperand(uint64_t address, const ReadProcessBytes& read) {
    uint8_t opcode;
    uint64_t operand;
    if (!read(address, &opcode, 1) || opcode != 0x68 || !readValue(read, address + 1, 4, operand)) return 0;
    return uint32_t(operand);
}

bool importsFromLibrary(std::string_view imported, std::string_view library) {
    if (equalIgnoringCase(imported, library)) return true;
    if (!equalIgnoringCase(library, "kernel32.dll")) return false;
    constexpr std::string_view apiSet = "api-ms-win-core-";
    return equalIgnoringCase(imported, "kernelbase.dll") ||
           (imported.size() > apiSet.size() && equalIgnoringCase(imported.substr(0, apiSet.size()), apiSet));
}
