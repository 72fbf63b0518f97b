#pragma once
#include <windows.h>

// Replaces entries of the import tables of the process's modules. Every
// replacement is kept as a record, so that modules loaded later can be patched
// the same way and every entry can be put back.
//
// An entry is replaced when it reaches the target function: when it holds the
// target, or the code the target's jump stubs lead to (on newer Windows and on
// Wine kernel32 exports stubs that jump into kernelbase, and kernel32's own
// imports, like those of API-set clients, hold the kernelbase function), or a
// Windows 9x push stub naming the target.

enum class PatchResult { Patched = 0, NoImportDirectory = 1, NothingToPatch = 2, NotWritable = 3 };

PatchResult patchImport(HMODULE module, const char* dll, const void* target, const void* replacement);

// Records a replacement without patching anything.
void addHook(const char* dll, const void* target, const void* replacement);
// Patches every module of the process with every record.
void patchAllModulesWithEveryHook();
// Patches a module that a LoadLibrary call returned with every record, unless
// it is null or was mapped as data or as an image resource (`flags`).
void patchNewModule(HMODULE module, DWORD flags);

bool hooksInstalled();
// The replacement recorded for a function found at `address`, or null.
const void* replacementFor(const void* address);
// Where a call to `function` ends up doing its work: past its jump stubs.
// Replacements call the system there, never through a stub that may read a
// patched import entry.
const void* implementationOf(const void* function);

// Puts every replaced entry back as it was, newest record first, and forgets
// the records.
void removeAllHooks();
