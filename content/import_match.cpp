#include "content/import_match.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kMostHops = 8;
constexpr std::uint8_t kHotPatchPrologue[] = {0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x5D};

bool readWord(const ReadProcessBytes& read, std::uint32_t address, std::uint32_t& word) {
    std::uint8_t bytes[4];
    if (!read(address, bytes, 4)) return false;
    word = std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[3]) << 24;
    return true;
}

// The destination of the jump at `address`, or 0 when the code there does not
// begin with one.
std::uint32_t jumpDestination(std::uint32_t address, const ReadProcessBytes& read) {
    std::uint8_t op[2];
    if (!read(address, op, 2)) return 0;
    std::uint32_t at = address;
    std::uint8_t prologue[sizeof kHotPatchPrologue + 2];
    if (op[0] == kHotPatchPrologue[0] && op[1] == kHotPatchPrologue[1] && read(address, prologue, sizeof prologue) &&
        std::memcmp(prologue, kHotPatchPrologue, sizeof kHotPatchPrologue) == 0) {
        at += sizeof kHotPatchPrologue;
        op[0] = prologue[sizeof kHotPatchPrologue];
        op[1] = prologue[sizeof kHotPatchPrologue + 1];
    }
    std::uint32_t operand = 0;
    if (op[0] == 0xFF && op[1] == 0x25) {
        std::uint32_t slot;
        if (!readWord(read, at + 2, slot) || !readWord(read, slot, operand)) return 0;
        return operand;
    }
    if (op[0] == 0xE9) {
        if (!readWord(read, at + 1, operand)) return 0;
        return at + 5 + operand;
    }
    if (op[0] == 0xEB) return at + 2 + std::uint32_t(std::int32_t(std::int8_t(op[1])));
    return 0;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

}  // namespace

std::vector<std::uint32_t> jumpChain(std::uint32_t address, const ReadProcessBytes& read) {
    std::vector<std::uint32_t> chain{address};
    for (int hop = 0; hop < kMostHops; ++hop) {
        std::uint32_t next = jumpDestination(chain.back(), read);
        if (!next || std::find(chain.begin(), chain.end(), next) != chain.end()) break;
        chain.push_back(next);
    }
    return chain;
}

std::uint32_t pushStubOperand(std::uint32_t address, const ReadProcessBytes& read) {
    std::uint8_t opcode;
    std::uint32_t operand;
    if (!read(address, &opcode, 1) || opcode != 0x68 || !readWord(read, address + 1, operand)) return 0;
    return operand;
}

bool importsFromLibrary(std::string_view imported, std::string_view library) {
    if (equalIgnoringCase(imported, library)) return true;
    if (!equalIgnoringCase(library, "kernel32.dll")) return false;
    constexpr std::string_view apiSet = "api-ms-win-core-";
    return equalIgnoringCase(imported, "kernelbase.dll") ||
           (imported.size() > apiSet.size() && equalIgnoringCase(imported.substr(0, apiSet.size()), apiSet));
}
