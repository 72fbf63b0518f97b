#include "content/import_match.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

// A sparse address space: runs of bytes, and little-endian values, at given addresses.
struct FakeMemory : std::map<uint64_t, uint8_t> {
    void put(uint64_t address, std::vector<uint8_t> bytes) {
        for (uint8_t b : bytes) (*this)[address++] = b;
    }
    void putValue(uint64_t address, uint64_t value, int size = 4) {
        for (int i = 0; i < size; ++i) (*this)[address + i] = uint8_t(value >> (8 * i));
    }
    ReadProcessBytes reader() const {
        return [this](uint64_t address, void* out, size_t length) {
            for (size_t i = 0; i < length; ++i) {
                if (!count(address + i)) return false;
                static_cast<uint8_t*>(out)[i] = at(address + i);
            }
            return true;
        };
    }
};

using Chain = std::vector<uint64_t>;

std::vector<uint8_t> realCode() { return {0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x5D, 0x8D, 0x4C, 0x24, 0x04}; }

TEST(ImportMatch, HotPatchedIndirectJumpLeadsToTheImplementation) {
    // kernel32's export jumps through its own import slot into kernelbase.
    FakeMemory memory;
    memory.put(0x7B60D390, {0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x5D, 0xFF, 0x25, 0xFC, 0xF6, 0x64, 0x7B});
    memory.putValue(0x7B64F6FC, 0x7B01EEE0);
    memory.put(0x7B01EEE0, realCode());
    EXPECT_EQ(jumpChain(0x7B60D390, memory.reader(), CodeWidth::X86), (Chain{0x7B60D390, 0x7B01EEE0}));
    EXPECT_EQ(jumpChain(0x7B01EEE0, memory.reader(), CodeWidth::X86), (Chain{0x7B01EEE0}));
}

TEST(ImportMatch, X64IndirectJumpsReadTheirSlotRelativeToTheNextInstruction) {
    // Windows' kernel32 export: jmp qword [rip+disp] (REX.W), into kernelbase
    // above 4 GB, then a relative jump backwards.
    FakeMemory memory;
    memory.put(0x17B60D390, {0x48, 0xFF, 0x25, 0x00, 0x10, 0x00, 0x00});
    memory.putValue(0x17B60D397 + 0x1000, 0x27B01EEE0, 8);
    memory.put(0x27B01EEE0, {0xE9, 0x1B, 0x11, 0xFE, 0xFF});  // to 0x27B01EEE5 - 0x1EEE5
    memory.put(0x27B000000, realCode());
    EXPECT_EQ(jumpChain(0x17B60D390, memory.reader(), CodeWidth::X64), (Chain{0x17B60D390, 0x27B01EEE0, 0x27B000000}));
    // Wine's: an 8-byte hot-patch lea, then jmp [rip+disp], slot at 0x500E + 0xFF2.
    memory.put(0x5000, {0x48, 0x8D, 0xA4, 0x24, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x25, 0xF2, 0x0F, 0x00, 0x00});
    memory.putValue(0x6000, 0x7000, 8);
    EXPECT_EQ(jumpChain(0x5000, memory.reader(), CodeWidth::X64), (Chain{0x5000, 0x7000}));
    // The same bytes read as x86 name an absolute slot that is not there.
    EXPECT_EQ(jumpChain(0x5000, memory.reader(), CodeWidth::X86), (Chain{0x5000}));
}

// Relative jumps are followed both ways; a chain stops at loops and unreadable memory.
TEST(ImportMatch, RelativeJumpsAreFollowedUpToLoopsAndUnreadableMemory) {
    FakeMemory memory;
    memory.put(0x1000, {0xE9, 0xFB, 0x0F, 0x00, 0x00});                           // to 0x1000 + 5 + 0xFFB = 0x2000
    memory.put(0x2000, {0xEB, 0xFE - 0x10, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90});  // to 0x2002 - 0x12 = 0x1FF0
    memory.put(0x1FF0, {0xC3, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(jumpChain(0x1000, memory.reader(), CodeWidth::X86), (Chain{0x1000, 0x2000, 0x1FF0}));
    memory.put(0x3000, {0xEB, 0xFE, 0, 0, 0, 0, 0, 0});  // jumps to itself
    EXPECT_EQ(jumpChain(0x3000, memory.reader(), CodeWidth::X86).size(), 1u);
    memory.put(0x4000, {0xFF, 0x25, 0x00, 0x50, 0x00, 0x00, 0, 0});  // slot 0x5000 unreadable
    EXPECT_EQ(jumpChain(0x4000, memory.reader(), CodeWidth::X86).size(), 1u);
    memory.put(0x6000, {0xE9, 0x00});  // cut short
    EXPECT_EQ(jumpChain(0x6000, memory.reader(), CodeWidth::X86).size(), 1u);
    EXPECT_EQ(jumpChain(0x9999, memory.reader(), CodeWidth::X86), (Chain{0x9999}));
    // Two stubs pointing at each other end after both.
    memory.put(0x7000, {0xE9, 0xFB, 0x0F, 0x00, 0x00, 0, 0, 0});
    memory.put(0x8000, {0xE9, 0xFB, 0xEF, 0xFF, 0xFF, 0, 0, 0});
    EXPECT_EQ(jumpChain(0x7000, memory.reader(), CodeWidth::X86), (Chain{0x7000, 0x8000}));
}

TEST(ImportMatch, PushStubNamesItsFunction) {
    FakeMemory memory;
    memory.put(0xBFF70000, {0x68, 0x78, 0x56, 0x34, 0x12, 0xE9, 0, 0, 0, 0});
    memory.put(0xBFF80000, realCode());
    EXPECT_EQ(pushStubOperand(0xBFF70000, memory.reader()), 0x12345678u);
    EXPECT_EQ(pushStubOperand(0xBFF80000, memory.reader()), 0u);
    EXPECT_EQ(pushStubOperand(0x10, memory.reader()), 0u);
}

TEST(ImportMatch, Kernel32FunctionsMayComeFromItsImplementationLibraries) {
    EXPECT_TRUE(importsFromLibrary("KERNEL32.dll", "kernel32.dll"));
    EXPECT_TRUE(importsFromLibrary("kernelbase.dll", "kernel32.dll"));
    EXPECT_TRUE(importsFromLibrary("API-MS-Win-Core-File-L1-1-0.dll", "kernel32.dll"));
    EXPECT_FALSE(importsFromLibrary("api-ms-win-core-", "kernel32.dll"));
    EXPECT_FALSE(importsFromLibrary("msvcrt.dll", "kernel32.dll"));
    EXPECT_FALSE(importsFromLibrary("kernel32.dl", "kernel32.dll"));
    EXPECT_TRUE(importsFromLibrary("USER32.DLL", "user32.dll"));
    EXPECT_FALSE(importsFromLibrary("kernelbase.dll", "user32.dll"));
}

}  // namespace
