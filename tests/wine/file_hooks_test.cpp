#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "content/file_hooks_win.h"
#include "shell/data_locations_win.h"
#include "support/suite.h"

// The calls to the file functions sit in functions of their own that are
// never inlined: within one function GCC may keep an import entry it loaded
// before the entry was patched.
namespace {

using Bytes = std::vector<uint8_t>;

std::wstring scratchPath(const std::wstring& name) { return std::wstring(dataLocations().tempFolder()) + name; }

Bytes movieBytes(size_t size, uint32_t seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = uint8_t(seed >> 16);
    }
    return bytes;
}

std::unique_ptr<uint8_t[]> heapCopy(const Bytes& bytes) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size() + 2]());
    std::copy(bytes.begin(), bytes.end(), copy.get());
    return copy;
}

void registerMovie(const std::wstring& path, const Bytes& bytes, unsigned maxMatches = 2,
                   bool deleteOnLastClose = true) {
    registerVirtualFile(path.c_str(), heapCopy(bytes), bytes.size(), deleteOnLastClose, maxMatches);
}

__attribute__((noinline)) HANDLE openFile(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                       nullptr);
}

__attribute__((noinline)) BOOL readFile(HANDLE file, Bytes& out, DWORD length) {
    out.assign(length, 0);
    DWORD got = 0xDEAD;
    BOOL ok = ReadFile(file, out.data(), length, &got, nullptr);
    out.resize(std::min<DWORD>(got, length));
    return ok;
}

Bytes readSome(HANDLE file, DWORD length) {
    Bytes out;
    EXPECT_TRUE(readFile(file, out, length));
    return out;
}

Bytes readToEnd(HANDLE file, DWORD chunk) {
    Bytes all, part;
    while (readFile(file, part, chunk) && !part.empty()) all.insert(all.end(), part.begin(), part.end());
    return all;
}

__attribute__((noinline)) DWORD seek(HANDLE file, LONG distance, DWORD method) {
    return SetFilePointer(file, distance, nullptr, method);
}

__attribute__((noinline)) DWORD seekWithHigh(HANDLE file, LONG distance, LONG& high, DWORD method) {
    return SetFilePointer(file, distance, &high, method);
}

__attribute__((noinline)) BOOL closeFile(HANDLE file) { return CloseHandle(file); }

__attribute__((noinline)) FARPROC lookUp(const wchar_t* library, const char* name) {
    return GetProcAddress(GetModuleHandleW(library), name);
}

__attribute__((noinline)) HMODULE loadLibrary(const std::wstring& path) { return LoadLibraryW(path.c_str()); }

__attribute__((noinline)) HMODULE loadAsData(const std::wstring& path) {
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

// A file's bytes through a mapping, which the replacements do not see.
Bytes bytesOnDisk(const std::wstring& path) {
    Bytes bytes;
    HANDLE file = openFile(path);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    DWORD size = GetFileSize(file, nullptr);
    if (HANDLE mapping = size ? CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr) : nullptr) {
        auto view = static_cast<const uint8_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
        if (view) bytes.assign(view, view + size);
        UnmapViewOfFile(view);
        CloseHandle(mapping);
    }
    closeFile(file);
    return bytes;
}

Bytes slice(const Bytes& bytes, size_t from, size_t count) {
    return Bytes(bytes.begin() + from, bytes.begin() + from + count);
}

class FileHooks : public ::testing::Test {
protected:
    void SetUp() override { installFileHooks(); }
    void TearDown() override {
        releaseVirtualFiles();
        removeAllHooks();
    }
};

TEST_F(FileHooks, MovieIsReadFromMemoryAndGoesWithItsLastHandle) {
    std::wstring path = scratchPath(L"movie-whole.swf");
    Bytes movie = movieBytes(100003, 1);
    registerMovie(path, movie);
    Bytes marker = bytesOnDisk(path);
    EXPECT_EQ(marker.size(), 32u);
    EXPECT_EQ(registeredVirtualFiles(), 1u);

    HANDLE file = openFile(path);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(readToEnd(file, 4096), movie);
    EXPECT_TRUE(closeFile(file));
    EXPECT_FALSE(suite::exists(path));
    EXPECT_EQ(registeredVirtualFiles(), 0u);
}

TEST_F(FileHooks, BoundHandleReadsAndSeeksInTheMovie) {
    std::wstring path = scratchPath(L"movie-seek.swf");
    Bytes movie = movieBytes(5000, 3);
    registerMovie(path, movie);
    HANDLE file = openFile(path);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);

    // Where reads and seeks land in the movie is tested natively
    // (VirtualFileTable); here they pass through the system's calls.
    EXPECT_EQ(readSome(file, 8), slice(movie, 0, 8));
    EXPECT_EQ(seek(file, -3, FILE_END), 4997u);

    SetLastError(0);
    EXPECT_EQ(seek(file, -1, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(seek(file, 0, FILE_CURRENT), 4997u);

    LONG high = -1;  // with the low part: a 64-bit distance of -2
    EXPECT_EQ(seekWithHigh(file, -2, high, FILE_END), 4998u);
    EXPECT_EQ(high, 0);
    high = 1;
    EXPECT_EQ(seekWithHigh(file, 7, high, FILE_BEGIN), 7u);
    EXPECT_EQ(high, 1);  // 4 GB on
    EXPECT_TRUE(readSome(file, 4).empty());
    EXPECT_TRUE(closeFile(file));
}

TEST_F(FileHooks, OrdinaryFilesReadAsWithoutTheReplacements) {
    // How a first read is enlarged and its surplus given back is tested
    // natively (ProbeRead); here a disk file and a pipe go through it.
    registerMovie(scratchPath(L"movie-bystander.swf"), movieBytes(64, 4));
    Bytes hundred = movieBytes(100, 5);
    suite::writeBytes(scratchPath(L"plain-100.bin"), hundred);
    HANDLE file = openFile(scratchPath(L"plain-100.bin"));
    EXPECT_EQ(readSome(file, 10), slice(hundred, 0, 10));
    EXPECT_EQ(readSome(file, 1000), slice(hundred, 10, 90));
    EXPECT_EQ(seek(file, 0, FILE_END), 100u);
    closeFile(file);

    // A pipe cannot give back the surplus of an enlarged first read.
    HANDLE reader, writer;
    ASSERT_TRUE(CreatePipe(&reader, &writer, nullptr, 0));
    DWORD written;
    WriteFile(writer, "abcdef", 6, &written, nullptr);
    closeFile(writer);
    EXPECT_EQ(readSome(reader, 2), (Bytes{'a', 'b'}));
    EXPECT_EQ(readSome(reader, 4), (Bytes{'c', 'd', 'e', 'f'}));
    closeFile(reader);
}

// The runtime library's streams read through the runtime's own import of ReadFile.
TEST_F(FileHooks, RuntimeStreamsReadPlaceholdersAsMovies) {
    std::wstring moviePath = scratchPath(L"movie-stream.swf");
    Bytes movie = movieBytes(20000, 13);
    registerMovie(moviePath, movie);
    std::ifstream movieStream(std::string(moviePath.begin(), moviePath.end()), std::ios::binary);
    Bytes streamed((std::istreambuf_iterator<char>(movieStream)), std::istreambuf_iterator<char>());
    EXPECT_EQ(streamed, movie);
}

// The value of a module's import entry for a kernel32 function, or null.
const void* importEntry(HMODULE module, const char* name) {
    auto base = reinterpret_cast<const BYTE*>(module);
    auto nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    DWORD directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory); d->Name; ++d) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + d->Name), "kernel32.dll")) continue;
        auto names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto entries = reinterpret_cast<void* const*>(base + d->FirstThunk);
        for (int i = 0; names[i].u1.AddressOfData; ++i) {
            if (IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal)) continue;
            auto byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData);
            if (!std::strcmp(reinterpret_cast<const char*>(byName->Name), name)) return entries[i];
        }
    }
    return nullptr;
}

// import_probe_user.dll is loaded after installation and is patched; its
// dependency import_probe.dll comes in with it and is not, but its calls still
// meet the replacement in kernel32's stub. Loading that one as a data file
// leaves it alone; loading it as a library patches it.
TEST_F(FileHooks, LibrariesLoadedLaterArePatchedDataFilesAreNot) {
    std::wstring path = scratchPath(L"movie-library.swf");
    Bytes movie = movieBytes(2000, 10);
    registerMovie(path, movie, 10, false);
    const void* replacement = reinterpret_cast<const void*>(&hookReadFile);
    using Read = BOOL(__cdecl*)(HANDLE, void*, DWORD, DWORD*);
    auto readWith = [&](FARPROC function) {
        HANDLE file = openFile(path);
        Bytes bytes(64);
        DWORD got = 0;
        reinterpret_cast<Read>(function)(file, bytes.data(), DWORD(bytes.size()), &got);
        closeFile(file);
        bytes.resize(got);
        return bytes;
    };

    HMODULE user = loadLibrary(suite::binDir() + L"\\import_probe_user.dll");
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(importEntry(user, "ReadFile"), replacement);
    EXPECT_EQ(readWith(GetProcAddress(user, "userReadFile")), slice(movie, 0, 64));
    HMODULE dependency = GetModuleHandleW(L"import_probe.dll");
    ASSERT_NE(dependency, nullptr);
    EXPECT_NE(importEntry(dependency, "ReadFile"), nullptr);
    EXPECT_NE(importEntry(dependency, "ReadFile"), replacement);
    EXPECT_EQ(readWith(GetProcAddress(user, "userReadThroughDependency")), slice(movie, 0, 64));

    HMODULE asData = loadAsData(suite::binDir() + L"\\import_probe.dll");
    EXPECT_NE(asData, nullptr);
    EXPECT_NE(importEntry(dependency, "ReadFile"), replacement);

    HMODULE probe = loadLibrary(suite::binDir() + L"\\import_probe.dll");
    EXPECT_EQ(probe, dependency);
    EXPECT_EQ(importEntry(dependency, "ReadFile"), replacement);

    FreeLibrary(probe);
    if (asData) FreeLibrary(asData);
    FreeLibrary(user);
}

// Reads through kernel32's own export (a stub that jumps through kernel32's
// import of kernelbase), as code that looked the function up earlier would.
BOOL readThroughExport(FARPROC readFileExport, HANDLE file, Bytes& out, DWORD length) {
    out.assign(length, 0);
    DWORD got = 0;
    BOOL ok = reinterpret_cast<decltype(&ReadFile)>(readFileExport)(file, out.data(), length, &got, nullptr);
    out.resize(got);
    return ok;
}

TEST(FileHooksInstallation, GetProcAddressHandsOutTheReplacementOnlyWhileInstalled) {
    FARPROC real = lookUp(L"kernel32.dll", "ReadFile");
    installFileHooks();
    installFileHooks();  // a second installation changes nothing
    EXPECT_EQ(lookUp(L"kernel32.dll", "ReadFile"), reinterpret_cast<FARPROC>(&hookReadFile));
    EXPECT_EQ(lookUp(L"kernel32.dll", "CloseHandle"), reinterpret_cast<FARPROC>(&hookCloseHandle));
    if (GetModuleHandleW(L"kernelbase.dll")) {
        EXPECT_EQ(lookUp(L"kernelbase.dll", "ReadFile"), reinterpret_cast<FARPROC>(&hookReadFile));
    }

    std::wstring path = scratchPath(L"movie-export.swf");
    Bytes movie = movieBytes(100, 11), bytes;
    registerMovie(path, movie, 10, false);
    Bytes marker = bytesOnDisk(path);
    HANDLE file = openFile(path);
    EXPECT_TRUE(readThroughExport(real, file, bytes, 50));
    EXPECT_EQ(bytes, slice(movie, 0, 50));
    closeFile(file);

    releaseVirtualFiles();
    removeAllHooks();
    EXPECT_EQ(lookUp(L"kernel32.dll", "ReadFile"), real);
    suite::writeBytes(path, marker);
    file = openFile(path);
    EXPECT_EQ(readSome(file, 50), marker);
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    EXPECT_TRUE(readThroughExport(real, file, bytes, 50));
    EXPECT_EQ(bytes, marker);
    closeFile(file);
    DeleteFileW(path.c_str());
}

// The movie's 4-byte words count up, so a chunk shows where it came from and
// whether it is whole.
Bytes countingMovie(uint32_t words) {
    Bytes bytes(words * 4);
    for (uint32_t i = 0; i < words; ++i) std::memcpy(&bytes[i * 4], &i, 4);
    return bytes;
}

TEST_F(FileHooks, TwoThreadsReadingOneHandleSeeEveryChunkOnceAndWhole) {
    constexpr uint32_t kChunk = 64, kWords = 64 * 1024, kRounds = 32;
    std::wstring path = scratchPath(L"movie-stress.swf");
    std::wstring plain = scratchPath(L"plain-stress.bin");
    Bytes plainBytes = movieBytes(777, 12);
    suite::writeBytes(plain, plainBytes);
    registerMovie(path, countingMovie(kWords), 2, false);
    HANDLE file = openFile(path);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);

    bool bothRead = false;
    for (uint32_t round = 0; round < kRounds; ++round) {
        seek(file, 0, FILE_BEGIN);
        std::vector<uint32_t> seen[2];
        bool whole[2] = {true, true}, plainRight = true;
        std::atomic<int> ready{0};
        auto reader = [&](int which) {
            ++ready;
            while (ready < 2) {}
            Bytes chunk;
            for (int reads = 0; readFile(file, chunk, kChunk) && !chunk.empty(); ++reads) {
                uint32_t first;
                std::memcpy(&first, chunk.data(), 4);
                for (uint32_t w = 0; w < chunk.size() / 4; ++w) {
                    uint32_t word;
                    std::memcpy(&word, &chunk[w * 4], 4);
                    if (word != first + w || first % (kChunk / 4)) whole[which] = false;
                }
                seen[which].push_back(first);
                // Meanwhile ordinary handles come and go in the table.
                if (which == 1 && reads % 256 == 0) {
                    HANDLE other = openFile(plain);
                    if (readToEnd(other, 100) != plainBytes) plainRight = false;
                    closeFile(other);
                }
            }
        };
        std::thread second(reader, 1);
        reader(0);
        second.join();

        EXPECT_TRUE(whole[0] && whole[1]) << "round " << round;
        EXPECT_TRUE(plainRight) << "round " << round;
        bothRead = bothRead || (!seen[0].empty() && !seen[1].empty());
        std::vector<uint32_t> all = seen[0];
        all.insert(all.end(), seen[1].begin(), seen[1].end());
        std::sort(all.begin(), all.end());
        ASSERT_EQ(all.size(), kWords / (kChunk / 4));
        for (size_t i = 0; i < all.size(); ++i) ASSERT_EQ(all[i], i * (kChunk / 4));
    }
    EXPECT_TRUE(bothRead);
    closeFile(file);
}

}  // namespace
