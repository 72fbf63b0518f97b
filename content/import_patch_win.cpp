#include "content/import_patch_win.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "common/critical_section_win.h"
#include "content/import_match.h"

namespace {

struct HookRecord {
    std::string dll;
    const void* target;
    std::vector<uint64_t> sameFunction;  // the target and where its stubs lead
    const void* replacement;
};

struct Hooks {
    CriticalSection lock;
    std::vector<HookRecord> records;          // oldest first
    std::map<void**, const void*> originals;  // replaced entry -> what it held before
};

// Never destroyed, like the replacements it describes.
Hooks& hooks() {
    static Hooks* const instance = new Hooks;
    return *instance;
}

constexpr DWORD kReadableProtection = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                      PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

bool readable(std::uintptr_t address, size_t length) {
    std::uintptr_t end = address + length;
    if (end < address) return false;
    while (address < end) {
        MEMORY_BASIC_INFORMATION info;
        if (!VirtualQuery(reinterpret_cast<const void*>(address), &info, sizeof info)) return false;
        if (info.State != MEM_COMMIT || (info.Protect & PAGE_GUARD) || !(info.Protect & kReadableProtection))
            return false;
        address = reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize;
    }
    return true;
}

constexpr CodeWidth kCodeWidth = sizeof(void*) == 8 ? CodeWidth::X64 : CodeWidth::X86;

bool readProcessBytes(uint64_t address, void* out, size_t length) {
    if (address > UINTPTR_MAX || !readable(std::uintptr_t(address), length)) return false;
    std::memcpy(out, reinterpret_cast<const void*>(std::uintptr_t(address)), length);
    return true;
}

uint64_t addressOf(const void* pointer) { return reinterpret_cast<std::uintptr_t>(pointer); }

std::uintptr_t maxApplicationAddress() {
    static const std::uintptr_t address = [] {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        return reinterpret_cast<std::uintptr_t>(info.lpMaximumApplicationAddress);
    }();
    return address;
}

// Windows 9x leads imports of system functions through push stubs above the
// application's address space; no 64-bit system does.
bool reaches(const void* entry, const std::vector<uint64_t>& sameFunction, const void* target) {
    uint64_t value = addressOf(entry);
    if (std::find(sameFunction.begin(), sameFunction.end(), value) != sameFunction.end()) return true;
    return kCodeWidth == CodeWidth::X86 && value > maxApplicationAddress() &&
           pushStubOperand(value, readProcessBytes) == addressOf(target);
}

const IMAGE_IMPORT_DESCRIPTOR* importDirectory(HMODULE module) {
    auto base = reinterpret_cast<const BYTE*>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (!readable(std::uintptr_t(dos), sizeof *dos) || dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (!readable(std::uintptr_t(nt), sizeof *nt) || nt->Signature != IMAGE_NT_SIGNATURE ||
        nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC ||
        nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_IMPORT)
        return nullptr;
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!directory.VirtualAddress || !directory.Size) return nullptr;
    return reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
}

// Calls visit(entry) for every import entry of the module taken from `dll`.
template <typename Visit>
void forEachImportEntry(HMODULE module, const IMAGE_IMPORT_DESCRIPTOR* descriptor, const char* dll, Visit visit) {
    auto base = reinterpret_cast<BYTE*>(module);
    for (; descriptor->Name; ++descriptor) {
        if (!importsFromLibrary(reinterpret_cast<const char*>(base + descriptor->Name), dll)) continue;
        for (auto entry = reinterpret_cast<void**>(base + descriptor->FirstThunk); *entry; ++entry) visit(entry);
    }
}

PatchResult writeEntry(void** entry, const void* value) {
    DWORD previous;
    if (!VirtualProtect(entry, sizeof *entry, PAGE_EXECUTE_READWRITE, &previous)) return PatchResult::NotWritable;
    // Written in place, now that the page is writable: WriteProcessMemory is a
    // round trip to the server under Wine, and a scene waits for every entry.
    *entry = const_cast<void*>(value);
    VirtualProtect(entry, sizeof *entry, previous, &previous);
    return PatchResult::Patched;
}

HookRecord makeRecord(const char* dll, const void* target, const void* replacement) {
    return {dll, target, jumpChain(addressOf(target), readProcessBytes, kCodeWidth), replacement};
}

PatchResult patchWithRecord(HMODULE module, const HookRecord& record) {
    const IMAGE_IMPORT_DESCRIPTOR* directory = importDirectory(module);
    if (!directory) return PatchResult::NoImportDirectory;
    PatchResult result = PatchResult::NothingToPatch;
    forEachImportEntry(module, directory, record.dll.c_str(), [&](void** entry) {
        const void* previous = *entry;
        if (!reaches(previous, record.sameFunction, record.target)) return;
        Locked locked(hooks().lock);
        PatchResult written = writeEntry(entry, record.replacement);
        if (written == PatchResult::Patched) hooks().originals[entry] = previous;
        if (result != PatchResult::Patched) result = written;
    });
    return result;
}

void restoreWithRecord(HMODULE module, const HookRecord& record) {
    const IMAGE_IMPORT_DESCRIPTOR* directory = importDirectory(module);
    if (!directory) return;
    forEachImportEntry(module, directory, record.dll.c_str(), [&](void** entry) {
        if (*entry != record.replacement) return;
        Locked locked(hooks().lock);
        auto original = hooks().originals.find(entry);
        writeEntry(entry, original == hooks().originals.end() ? record.target : original->second);
        if (original != hooks().originals.end()) hooks().originals.erase(original);
    });
}

// The process's modules from the loader's own list, where the system offers it
// (kernel32 since Windows 7); otherwise from a snapshot, which under Wine costs
// a round trip to the server and several milliseconds.
std::vector<HMODULE> loadedModules() {
    using EnumModules = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
    static const auto enumModules = reinterpret_cast<EnumModules>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "K32EnumProcessModules")));
    std::vector<HMODULE> modules;
    if (enumModules) {
        DWORD needed = 0;
        for (modules.resize(64);; modules.resize(needed / sizeof(HMODULE))) {
            const DWORD capacity = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
            if (!enumModules(GetCurrentProcess(), modules.data(), capacity, &needed)) break;
            if (needed <= capacity) {
                modules.resize(needed / sizeof(HMODULE));
                return modules;
            }
        }
        modules.clear();
    }
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
    if (snapshot == INVALID_HANDLE_VALUE) return modules;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot, &entry); more; more = Module32NextW(snapshot, &entry))
        modules.push_back(entry.hModule);
    CloseHandle(snapshot);
    return modules;
}

// Runs work(module) for every module of the process, each held loaded meanwhile.
template <typename Work>
void forEachLoadedModule(Work work) {
    for (HMODULE module : loadedModules()) {
        HMODULE held = nullptr;
        if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(module), &held))
            continue;
        if (held == module) work(module);
        FreeLibrary(held);
    }
}

std::vector<HookRecord> recordsNow() {
    Locked locked(hooks().lock);
    return hooks().records;
}

}  // namespace

PatchResult patchImport(HMODULE module, const char* dll, const void* target, const void* replacement) {
    return patchWithRecord(module, makeRecord(dll, target, replacement));
}

void addHook(const char* dll, const void* target, const void* replacement) {
    HookRecord record = makeRecord(dll, target, replacement);
    Locked locked(hooks().lock);
    hooks().records.push_back(std::move(record));
}

void patchAllModulesWithEveryHook() {
    std::vector<HookRecord> records = recordsNow();
    forEachLoadedModule([&](HMODULE module) {
        for (const HookRecord& record : records) patchWithRecord(module, record);
    });
}

void patchNewModule(HMODULE module, DWORD flags) {
    constexpr DWORD kAsImageResource = 0x20, kAsDatafileExclusive = 0x40;
    constexpr DWORD kMappedAsData = LOAD_LIBRARY_AS_DATAFILE | kAsImageResource | kAsDatafileExclusive;
    // Modules mapped as data come back with a low bit set in the handle.
    if (!module || (flags & kMappedAsData) || (reinterpret_cast<std::uintptr_t>(module) & 3)) return;
    for (const HookRecord& record : recordsNow()) patchWithRecord(module, record);
}

bool hooksInstalled() {
    Locked locked(hooks().lock);
    return !hooks().records.empty();
}

const void* replacementFor(const void* address) {
    uint64_t value = addressOf(address);
    Locked locked(hooks().lock);
    for (const HookRecord& record : hooks().records) {
        const auto& same = record.sameFunction;
        if (std::find(same.begin(), same.end(), value) != same.end()) return record.replacement;
    }
    return nullptr;
}

const void* implementationOf(const void* function) {
    return reinterpret_cast<const void*>(
        std::uintptr_t(jumpChain(addressOf(function), readProcessBytes, kCodeWidth).back()));
}

void removeAllHooks() {
    std::vector<HookRecord> records = recordsNow();
    std::reverse(records.begin(), records.end());
    forEachLoadedModule([&](HMODULE module) {
        for (const HookRecord& record : records) restoreWithRecord(module, record);
    });
    Locked locked(hooks().lock);
    hooks().records.clear();
    hooks().originals.clear();
}
