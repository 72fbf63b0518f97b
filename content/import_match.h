#pragma once
// Whether an import-table entry of a 32-bit x86 module reaches a given system
// function. A library may export a function as a stub that jumps on into the
// library that implements it (kernel32 into kernelbase), and other modules
// import it from that library or from an API-set name, so the entry may hold
// the stub or the function behind it.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

// Copies `length` bytes of the running process at `address`; false when they
// cannot be read.
using ReadProcessBytes = std::function<bool(std::uint32_t address, void* out, std::size_t length)>;

// `address`, then the destination of each jump stub a call to it passes
// through: jmp [absolute], jmp rel32, jmp rel8, each optionally after the
// hot-patch prologue mov edi,edi / push ebp / mov ebp,esp / pop ebp. The last
// element is the code that does the work.
std::vector<std::uint32_t> jumpChain(std::uint32_t address, const ReadProcessBytes& read);

// The operand of a stub that begins with push imm32 (how Windows 9x leads
// imports of system functions to them), or 0 when the code is no such stub.
std::uint32_t pushStubOperand(std::uint32_t address, const ReadProcessBytes& read);

// True when a module's import descriptor named `imported` may hold functions
// of `library`: the same name ignoring case, or for kernel32 the libraries
// that carry its functions on newer systems (kernelbase, API sets).
bool importsFromLibrary(std::string_view imported, std::string_view library);
