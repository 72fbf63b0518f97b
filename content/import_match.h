#pragma once
// Whether an import-table entry of an x86 or x86-64 module reaches a given
// system function. A library may export a function as a stub that jumps on
// into the library that implements it (kernel32 into kernelbase), and other
// modules import it from that library or from an API-set name, so the entry
// may hold the stub or the function behind it.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

// The instruction set of the code being read: it decides how wide a pointer is
// and whether jmp [operand] is absolute (x86) or relative to the next
// instruction (x86-64).
enum class CodeWidth { X86, X64 };

// Copies `length` bytes of the running process at `address`; false when they
// cannot be read.
using ReadProcessBytes = std::function<bool(uint64_t address, void* out, size_t length)>;

// `address`, then the destination of each jump stub a call to it passes
// through: jmp [slot], jmp rel32, jmp rel8, each optionally after a hot-patch
// prologue (x86: mov edi,edi / push ebp / mov ebp,esp / pop ebp; x86-64: the
// 8-byte lea rsp,[rsp+0]); on x86-64 jmp [slot] may carry a REX.W prefix. The
// last element is the code that does the work.
std::vector<uint64_t> jumpChain(uint64_t address, const ReadProcessBytes& read, CodeWidth width);

// The operand of a stub that begins with push imm32 (how Windows 9x leads
// imports of system functions to them), or 0 when the code is no such stub.
uint32_t pushStubOperand(uint64_t address, const ReadProcessBytes& read);

// True when a module's import descriptor named `imported` may hold functions
// of `library`: the same name ignoring case, or for kernel32 the libraries
// that carry its functions on newer systems (kernelbase, API sets).
bool importsFromLibrary(std::string_view imported, std::string_view library);
