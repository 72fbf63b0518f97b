// Reading one 10 MB compressed movie item from a content archive, against the
// sum of its parts measured alone on the same sizes: Blowfish-CBC decryption,
// zlib inflation and the SHA-256 check. Prints MB/s and the ratio.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstring>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "content/archive.h"
#include "tools/writers/archive_writer.h"

namespace {

constexpr size_t kContentSize = 10 * 1024 * 1024;

void seededBytes(void* buffer, size_t length) {
    static std::mt19937 generator(7);
    auto* bytes = static_cast<uint8_t*>(buffer);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(generator());
}

// Movie-like content that deflate shrinks to roughly half: runs of repeated
// words mixed with noise.
std::vector<uint8_t> movieContent() {
    std::mt19937 generator(11);
    std::vector<uint8_t> content;
    content.reserve(kContentSize);
    const char* words[] = {"frame", "shape", "sprite", "button", "sound", "matrix", "colour", "action"};
    while (content.size() < kContentSize) {
        if (generator() % 2) {
            const char* word = words[generator() % 8];
            content.insert(content.end(), word, word + std::strlen(word));
        } else {
            for (int i = 0; i < 6; ++i) content.push_back(static_cast<uint8_t>(generator()));
        }
    }
    content.resize(kContentSize);
    return content;
}

struct Fixture {
    VfsCodec codec = VfsCodec::standard();
    std::vector<uint8_t> content = movieContent();
    EncodedItem item = encodeVfsItem(codec, content.data(), content.size(), Compression::Always, seededBytes);
    std::unique_ptr<VfsArchive> archive;
    std::vector<uint8_t> payload;  // the zlib stream, decrypted

    Fixture() {
        VfsWriter writer(codec, seededBytes);
        writer.addFile(u"swf/movie.swf", content, Compression::Always);
        archive = VfsArchive::mount(std::make_unique<MemoryByteSource>(writer.build()), codec, u"bench.vfs");
        std::vector<uint8_t> decrypted = item.bytes;
        std::vector<uint64_t> context((blowfishDescriptor()->contextSize + 7) / 8);
        cipherSetKey(blowfishDescriptor, context.data(), kArchiveKey, sizeof kArchiveKey);
        uint8_t iv[8];
        std::memcpy(iv, decrypted.data(), 8);
        cbcDecrypt(blowfishDescriptor, context.data(), iv, decrypted.data() + 8, decrypted.size() - 8);
        payload.assign(decrypted.begin() + 8, decrypted.begin() + item.storedSize);
    }
};

Fixture& fixture() {
    static Fixture shared;
    return shared;
}

void WholeRead(benchmark::State& state) {
    Fixture& f = fixture();
    VfsEntry* entry = vfsFindEntry(f.archive.get(), u"swf/movie.swf");
    for (auto _ : state) {
        entry->check = VfsCheckState::Unchecked;  // check again on every read
        VfsBuffer content = f.archive->read(*entry);
        if (!content) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(content.get());
    }
    state.SetBytesProcessed(state.iterations() * kContentSize);
}

void Decrypt(benchmark::State& state) {
    Fixture& f = fixture();
    std::vector<uint8_t> cipherText(f.item.bytes.begin() + 8, f.item.bytes.end());
    const CipherDescriptor* cipher = blowfishDescriptor();
    std::vector<uint64_t> context((cipher->contextSize + 7) / 8);
    cipherSetKey(blowfishDescriptor, context.data(), kArchiveKey, sizeof kArchiveKey);
    for (auto _ : state) {
        uint8_t iv[8];
        std::memcpy(iv, f.item.bytes.data(), 8);
        cbcDecrypt(blowfishDescriptor, context.data(), iv, cipherText.data(), cipherText.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kContentSize);
}

void Inflate(benchmark::State& state) {
    Fixture& f = fixture();
    std::vector<uint8_t> out(kContentSize);
    for (auto _ : state) {
        uLongf length = out.size();
        if (uncompress(out.data(), &length, f.payload.data(), f.payload.size()) != Z_OK) state.SkipWithError("inflate");
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kContentSize);
}

void Check(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        uint8_t digest[4];
        hashDigest(sha256Descriptor, digest, 4, f.content.data(), f.content.size(), kArchiveKey, sizeof kArchiveKey);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(state.iterations() * kContentSize);
}

BENCHMARK(WholeRead)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(Decrypt)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(Inflate)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(Check)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Keeps each benchmark's CPU time per iteration for the summary: the machine
// is shared, so wall time is noisier.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) secondsPerRead[run.benchmark_name()] = run.GetAdjustedCPUTime() / 1000.0;
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> secondsPerRead;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& t = reporter.secondsPerRead;
    const double whole = t["WholeRead/min_time:1.000"];
    const double parts = t["Decrypt/min_time:1.000"] + t["Inflate/min_time:1.000"] + t["Check/min_time:1.000"];
    if (whole > 0 && parts > 0) {
        const double megabytes = kContentSize / 1e6;
        std::cout << "compressed item: " << fixture().item.storedSize << " bytes stored for " << kContentSize
                  << " bytes of content\n"
                  << "whole read " << megabytes / whole << " MB/s, sum of parts " << megabytes / parts
                  << " MB/s, whole / parts = " << whole / parts << '\n';
    }
    benchmark::Shutdown();
    return 0;
}
