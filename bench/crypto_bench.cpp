// Blowfish-CBC decryption and SHA-256 throughput against OpenSSL in the same
// run. OpenSSL's SHA-256 is kept to its plain integer code: unless the caller
// sets OPENSSL_ia32cap, the program restarts itself with the SHA extensions,
// AVX, AVX2 and SSSE3 masked (OpenSSL reads the mask once, when it loads).
#define OPENSSL_SUPPRESS_DEPRECATED
#include <benchmark/benchmark.h>
#include <openssl/blowfish.h>
#include <openssl/sha.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "crypto/cipher.h"
#include "crypto/digest.h"

namespace {

constexpr size_t bufferSize = 64 * 1024;
const uint8_t key[16] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                         0xF0, 0xE1, 0xD2, 0xC3, 0xB4, 0xA5, 0x96, 0x87};

std::vector<uint8_t> sampleData() {
    std::vector<uint8_t> data(bufferSize);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 131 + 17);
    return data;
}

void setThroughput(benchmark::State& state) {
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bufferSize));
}

void BlowfishCbcDecrypt_Pallo(benchmark::State& state) {
    std::vector<uint8_t> context(blowfishDescriptor()->contextSize);
    cipherSetKey(blowfishDescriptor, context.data(), key, sizeof key);
    auto data = sampleData();
    uint8_t iv[8] = {};
    for (auto _ : state) {
        cbcDecrypt(blowfishDescriptor, context.data(), iv, data.data(), data.size());
        benchmark::DoNotOptimize(data.data());
    }
    setThroughput(state);
}

void BlowfishCbcDecrypt_OpenSSL(benchmark::State& state) {
    BF_KEY bfKey;
    BF_set_key(&bfKey, sizeof key, key);
    auto data = sampleData();
    uint8_t iv[8] = {};
    for (auto _ : state) {
        BF_cbc_encrypt(data.data(), data.data(), long(data.size()), &bfKey, iv, BF_DECRYPT);
        benchmark::DoNotOptimize(data.data());
    }
    setThroughput(state);
}

void Sha256_Pallo(benchmark::State& state) {
    auto data = sampleData();
    uint8_t digest[32];
    for (auto _ : state) {
        hashDigest(sha256Descriptor, digest, 32, data.data(), data.size(), nullptr, 0);
        benchmark::DoNotOptimize(digest);
    }
    setThroughput(state);
}

void Sha256_OpenSSL(benchmark::State& state) {
    auto data = sampleData();
    uint8_t digest[32];
    for (auto _ : state) {
        SHA256(data.data(), data.size(), digest);
        benchmark::DoNotOptimize(digest);
    }
    setThroughput(state);
}

// Five repetitions each; the ratios compare medians, which a busy machine disturbs least.
BENCHMARK(BlowfishCbcDecrypt_Pallo)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BlowfishCbcDecrypt_OpenSSL)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(Sha256_Pallo)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(Sha256_OpenSSL)->Repetitions(5)->ReportAggregatesOnly(true);

// Keeps each benchmark's median throughput so that the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                bytesPerSecond[run.run_name.function_name] = run.counters.at("bytes_per_second");
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatio(const char* what, const std::string& ours, const std::string& peer) const {
        auto o = bytesPerSecond.find(ours), p = bytesPerSecond.find(peer);
        if (o == bytesPerSecond.end() || p == bytesPerSecond.end()) return;
        std::printf("%-22s %8.1f MB/s vs OpenSSL %8.1f MB/s: %.2fx\n", what, o->second / 1e6, p->second / 1e6,
                    o->second / p->second);
    }

private:
    std::map<std::string, double> bytesPerSecond;
};

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("OPENSSL_ia32cap")) {
        // CPUID.1:ECX bits 9 (SSSE3) and 28 (AVX); CPUID.7:EBX bits 5 (AVX2) and 29 (SHA).
        setenv("OPENSSL_ia32cap", "~0x1000020000000000:~0x20000020", 1);
        execv("/proc/self/exe", argv);
    }
    std::printf("OPENSSL_ia32cap=%s\n", std::getenv("OPENSSL_ia32cap"));
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("Blowfish-CBC decrypt", "BlowfishCbcDecrypt_Pallo", "BlowfishCbcDecrypt_OpenSSL");
    reporter.printRatio("SHA-256", "Sha256_Pallo", "Sha256_OpenSSL");
    benchmark::Shutdown();
    return 0;
}
