#include "content/file_hooks_win.h"

#include <atomic>
#include <list>
#include <optional>

#include "common/critical_section_win.h"
#include "common/text_win.h"
#include "content/ordinary_handles.h"
#include "content/probe_read.h"
#include "crypto/random.h"
#include "content/virtual_file_table.h"

namespace {

// The system's functions, saved at installation.
decltype(&ReadFile) realReadFile;
decltype(&SetFilePointer) realSetFilePointer;
decltype(&CloseHandle) realCloseHandle;

// The registry and the handle table, under one lock. Never destroyed: other
// modules' threads may still read through the replacements while the process
// runs its exit code.
struct Registry {
    CriticalSection lock;
    VirtualFileTable table;
};
Registry& registry() {
    static Registry* const instance = new Registry;
    return *instance;
}
VirtualFileTable& table() { return registry().table; }

// False while the table is empty: then the replacements pass every call on
// without taking the lock.
std::atomic<bool> tableInUse{false};
// Handles of the table known to be ordinary files, which skip the lock too.
OrdinaryHandles ordinaryHandles;

void noteTableUse() {
    bool inUse = !table().empty();
    if (!inUse) ordinaryHandles.clear();
    tableInUse.store(inUse, std::memory_order_release);
}

VirtualFileTable::Handle keyOf(HANDLE handle) { return reinterpret_cast<std::uintptr_t>(handle); }

class HandleFile : public RealFile {
public:
    explicit HandleFile(HANDLE handle) : handle_(handle) {}
    bool read(void* buffer, uint32_t length, uint32_t* got) override {
        DWORD count = 0;
        BOOL ok = realReadFile(handle_, buffer, length, &count, nullptr);
        *got = count;
        return ok;
    }
    void moveBack(uint32_t distance) override {
        realSetFilePointer(handle_, -static_cast<LONG>(distance), nullptr, FILE_CURRENT);
    }

private:
    HANDLE handle_;
};

BOOL readFromMemory(HandleState& state, LPVOID buffer, DWORD toRead, LPDWORD bytesRead) {
    DWORD count = static_cast<DWORD>(table().readBound(state, buffer, toRead));
    if (bytesRead) *bytesRead = count;
    return TRUE;
}

// The handle's state for a read, or null when nothing can bind it. Only a
// synchronous read of a file on disk is probed: a pipe cannot give back the
// surplus of an enlarged read, and an overlapped read ends after the call.
HandleState* stateForRead(HANDLE handle, LPOVERLAPPED overlapped) {
    HandleState* state = table().find(keyOf(handle));
    if (!state) {
        if (!table().hasMovies()) return nullptr;
        state = &table().track(keyOf(handle));
        noteTableUse();
    }
    if (state->probePending && (overlapped || GetFileType(handle) != FILE_TYPE_DISK)) state->probePending = false;
    if (!state->probePending && !state->movie) ordinaryHandles.add(keyOf(handle));
    return state;
}

BOOL probeFirstRead(HandleState& state, HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD bytesRead) {
    HandleFile file(handle);
    Marker firstBytes;
    uint32_t reported = 0;
    ProbeOutcome outcome = probeRead(file, buffer, toRead, &reported, firstBytes);
    state.probePending = false;
    if (outcome.captured && table().bind(state, firstBytes) && state.servedFromMemory())
        return readFromMemory(state, buffer, toRead, bytesRead);
    if (!state.movie) ordinaryHandles.add(keyOf(handle));
    if (bytesRead) *bytesRead = reported;
    return outcome.succeeded;
}

uint64_t markerSeed() {
    static std::atomic<uint32_t> registrations{0};
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<uint64_t>(now.QuadPart) ^ uint64_t(GetCurrentProcessId()) << 40 ^
           uint64_t(++registrations) << 20;
}

void writePlaceholder(const wchar_t* path, const Marker& marker) {
    if (!path) return;
    HANDLE file = createFileU(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, marker.data(), static_cast<DWORD>(marker.size()), &written, nullptr);
    CloseHandle(file);
}

void deletePlaceholder(const VirtualFile& movie) {
    DWORD error = GetLastError();
    deleteFileU(reinterpret_cast<const wchar_t*>(movie.path.c_str()));
    SetLastError(error);
}

template <typename Function>
Function implementation(HMODULE kernel32, const char* name) {
    return reinterpret_cast<Function>(implementationOf(reinterpret_cast<const void*>(GetProcAddress(kernel32, name))));
}

void addFileHook(HMODULE kernel32, const char* name, const void* replacement) {
    addHook("kernel32.dll", reinterpret_cast<const void*>(GetProcAddress(kernel32, name)), replacement);
}

}  // namespace

// Every replacement is recorded first and the modules are patched in one
// pass: each pass walks every module's imports, several milliseconds under
// Wine, and a scene waits for it before its first frame.
void installFileHooks() {
    if (hooksInstalled()) return;
    addLoaderHooks();
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    // All three are saved before any entry is patched: a replacement may need
    // the others.
    realReadFile = implementation<decltype(&ReadFile)>(kernel32, "ReadFile");
    realCloseHandle = implementation<decltype(&CloseHandle)>(kernel32, "CloseHandle");
    realSetFilePointer = implementation<decltype(&SetFilePointer)>(kernel32, "SetFilePointer");
    addFileHook(kernel32, "ReadFile", reinterpret_cast<const void*>(&hookReadFile));
    addFileHook(kernel32, "CloseHandle", reinterpret_cast<const void*>(&hookCloseHandle));
    addFileHook(kernel32, "SetFilePointer", reinterpret_cast<const void*>(&hookSetFilePointer));
    patchAllModulesWithEveryHook();
}

void registerVirtualFile(const wchar_t* path, std::unique_ptr<uint8_t[]> data, size_t size, bool deleteOnLastClose,
                         unsigned maxMatches) {
    VirtualFile movie;
    if (path) movie.path = reinterpret_cast<const char16_t*>(path);
    movie.size = data ? size : 0;
    movie.data = std::move(data);
    movie.maxMatches = maxMatches;
    movie.deleteOnLastClose = deleteOnLastClose;
    movie.marker = newMarker(randomBytes, markerSeed());
    writePlaceholder(path, movie.marker);
    Locked locked(registry().lock);
    table().add(std::move(movie));
    noteTableUse();
}

void releaseVirtualFiles() {
    std::list<VirtualFile> released;
    {
        Locked locked(registry().lock);
        released = table().releaseAll();
        noteTableUse();
    }
    for (const VirtualFile& movie : released) deletePlaceholder(movie);
}

size_t registeredVirtualFiles() {
    Locked locked(registry().lock);
    return table().movieCount();
}

BOOL WINAPI hookReadFile(HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD bytesRead, LPOVERLAPPED overlapped) {
    if (tableInUse.load(std::memory_order_acquire) && handle && handle != INVALID_HANDLE_VALUE &&
        !ordinaryHandles.contains(keyOf(handle))) {
        Locked locked(registry().lock);
        if (HandleState* state = stateForRead(handle, overlapped)) {
            if (state->probePending) return probeFirstRead(*state, handle, buffer, toRead, bytesRead);
            if (state->servedFromMemory()) return readFromMemory(*state, buffer, toRead, bytesRead);
        }
    }
    // Handles that are not bound read outside the lock: a read that waits on a
    // pipe must not hold up every other read of the process.
    return realReadFile(handle, buffer, toRead, bytesRead, overlapped);
}

DWORD WINAPI hookSetFilePointer(HANDLE handle, LONG distance, PLONG distanceHigh, DWORD method) {
    if (tableInUse.load(std::memory_order_acquire) && !ordinaryHandles.contains(keyOf(handle))) {
        Locked locked(registry().lock);
        HandleState* state = table().find(keyOf(handle));
        if (state && state->servedFromMemory()) {
            int64_t move = distance;
            if (distanceHigh) move = static_cast<int64_t>(uint64_t(uint32_t(*distanceHigh)) << 32 | uint32_t(distance));
            std::optional<uint64_t> position = table().seekBound(*state, move, method);
            if (!position) {
                SetLastError(ERROR_NEGATIVE_SEEK);
                return INVALID_SET_FILE_POINTER;
            }
            if (distanceHigh) *distanceHigh = static_cast<LONG>(*position >> 32);
            SetLastError(NO_ERROR);
            return static_cast<DWORD>(*position);
        }
    }
    return realSetFilePointer(handle, distance, distanceHigh, method);
}

BOOL WINAPI hookCloseHandle(HANDLE handle) {
    if (!tableInUse.load(std::memory_order_acquire)) return realCloseHandle(handle);
    std::optional<VirtualFile> released;
    BOOL closed;
    {
        // Closed under the lock, so that no other thread can open a handle
        // with the same value while this one's state is still in the table.
        Locked locked(registry().lock);
        ordinaryHandles.remove(keyOf(handle));
        closed = realCloseHandle(handle);
        if (closed) {
            released = table().forget(keyOf(handle));
            noteTableUse();
        }
    }
    if (released) deletePlaceholder(*released);
    return closed;
}
