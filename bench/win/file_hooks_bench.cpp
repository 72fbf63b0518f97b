// Reading speed through the file-function replacements; prints figures and
// asserts nothing. In a Wine prefix (see start_wine in ./dev):
//   wine build/win/bin/file_hooks_bench.exe (bench/win)
// 1. An ordinary 64 MB file in 4 KB reads: without the replacements, with them
//    while no movie is registered, and with them while a movie is registered
//    (every call then looks the handle up under the lock).
// 2. A bound 16 MB movie in 4 KB reads against memcpy of the same chunks.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "content/file_hooks_win.h"
#include "shell/data_locations_win.h"

namespace {

constexpr DWORD kChunk = 4096;
constexpr size_t kMegabyte = 1024 * 1024;
constexpr int kRounds = 20;

double now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return double(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / frequency;
}

std::vector<uint8_t> pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    uint32_t state = 12345;
    for (auto& b : bytes) b = uint8_t((state = state * 1103515245u + 12345u) >> 16);
    return bytes;
}

void writeFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// Not inlined, so that every pass calls through the import entry as it is now.
__attribute__((noinline)) double timedRead(const std::wstring& path, size_t expected) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    static uint8_t buffer[kChunk];
    size_t total = 0;
    DWORD got = 0;
    double start = now();
    while (ReadFile(file, buffer, kChunk, &got, nullptr) && got) total += got;
    double seconds = now() - start;
    CloseHandle(file);
    if (total != expected) std::printf("short read: %zu of %zu bytes\n", total, expected);
    return seconds;
}

double timedMemcpy(const std::vector<uint8_t>& source) {
    static uint8_t buffer[kChunk];
    double start = now();
    for (size_t at = 0; at < source.size(); at += kChunk) {
        std::memcpy(buffer, source.data() + at, std::min<size_t>(kChunk, source.size() - at));
        asm volatile("" : : "r"(buffer) : "memory");
    }
    return now() - start;
}

std::unique_ptr<uint8_t[]> heapCopy(const std::vector<uint8_t>& bytes) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size()]);
    std::memcpy(copy.get(), bytes.data(), bytes.size());
    return copy;
}

double megabytesPerSecond(size_t bytes, double seconds) { return double(bytes) / kMegabyte / seconds; }

}  // namespace

int main() {
    std::wstring folder = dataLocations().tempFolder();
    std::wstring plainPath = folder + L"bench-plain.bin";
    std::wstring bystanderPath = folder + L"bench-bystander.swf";
    std::wstring moviePath = folder + L"bench-movie.swf";
    const size_t plainSize = 64 * kMegabyte, movieSize = 16 * kMegabyte;

    writeFile(plainPath, pattern(plainSize));
    timedRead(plainPath, plainSize);  // into the cache

    // Best of several rounds; the order of the three passes alternates from
    // round to round so that neither profits from coming first.
    double without = 1e9, unarmed = 1e9, armed = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        bool withoutFirst = round % 2 == 0;
        if (withoutFirst) without = std::min(without, timedRead(plainPath, plainSize));
        installFileHooks();
        unarmed = std::min(unarmed, timedRead(plainPath, plainSize));
        registerVirtualFile(bystanderPath.c_str(), heapCopy(pattern(64)), 64, true, 2);
        armed = std::min(armed, timedRead(plainPath, plainSize));
        releaseVirtualFiles();
        removeAllHooks();
        if (!withoutFirst) without = std::min(without, timedRead(plainPath, plainSize));
    }
    std::printf("ordinary 64 MB file, 4 KB reads, best of %d:\n", kRounds);
    std::printf("  without replacements        %8.1f MB/s\n", megabytesPerSecond(plainSize, without));
    std::printf("  replaced, nothing registered %7.1f MB/s  time ratio %.3f\n", megabytesPerSecond(plainSize, unarmed),
                unarmed / without);
    std::printf("  replaced, a movie registered %7.1f MB/s  time ratio %.3f\n", megabytesPerSecond(plainSize, armed),
                armed / without);

    std::vector<uint8_t> movie = pattern(movieSize);
    double bound = 1e9, copied = 1e9;
    installFileHooks();
    for (int round = 0; round < kRounds; ++round) {
        registerVirtualFile(moviePath.c_str(), heapCopy(movie), movie.size(), true, 2);
        bound = std::min(bound, timedRead(moviePath, movieSize));
        copied = std::min(copied, timedMemcpy(movie));
    }
    releaseVirtualFiles();
    removeAllHooks();
    std::printf("bound 16 MB movie, 4 KB reads, best of %d:\n", kRounds);
    std::printf("  from memory through ReadFile %7.1f MB/s\n", megabytesPerSecond(movieSize, bound));
    std::printf("  memcpy of the same chunks   %8.1f MB/s  time ratio %.2f\n", megabytesPerSecond(movieSize, copied),
                bound / copied);
    DeleteFileW(plainPath.c_str());
    return 0;
}
