// Derivation speed on the OpenSSL provider, side by side in one run:
//   - our Pbkdf2Sha256 at the generation's 600000 iterations;
//   - OpenSSL's PKCS5_PBKDF2_HMAC on the same inputs;
//   - the limit: a chain of 1.2 million dependent SHA-256 compressions, two
//     per PBKDF2 iteration, each one EVP digest of the previous 32-byte
//     output (32 bytes plus padding fill exactly one block). The chain is
//     timed with three ways of starting each digest through the public EVP
//     interface, and the fastest of them is the limit;
//   - a whole GeneratePassword at lengths 12 and 128.
// After the table it prints the ratios between the medians of the run. Run it
// with --benchmark_repetitions=30 --benchmark_min_time=0.1
// --benchmark_report_aggregates_only=true
// --benchmark_enable_random_interleaving=true: many short repetitions in
// random order spread a change in the machine's load over every benchmark
// instead of letting it fall on whichever one runs at the time.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <ostream>
#include <string>

#include "bench_inputs.h"
#include "crypto/crypto.h"
#include "crypto/openssl_handles.h"
#include "derivation/key_derivation.h"
#include "derivation/password_generator.h"

namespace {

constexpr char kOurs[] = "Pbkdf2Sha256/ours";
constexpr char kOpenSsl[] = "Pbkdf2Sha256/openssl_PKCS5_PBKDF2_HMAC";
constexpr char kGenerate12[] = "GeneratePassword/12";
constexpr char kGenerate128[] = "GeneratePassword/128";
constexpr char kChainPrefix[] = "CompressionChain/";
constexpr char kLimit[] = "limit";

constexpr std::uint64_t kChainLength = 2ull * kPbkdf2Iterations;

// Each chain replaces `link` by its SHA-256 digest `count` times; false if a
// call fails. The three differ only in how each digest is started.

// A copy of a context that was initialised once: what Pbkdf2Sha256 does.
bool ChainCopyFromInitialState(const EVP_MD* md, std::uint64_t count, std::uint8_t* link) {
    DigestContext initial;
    DigestContext work;
    unsigned int written = 0;
    if (EVP_DigestInit_ex2(initial.ctx, md, nullptr) != 1) return false;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (EVP_MD_CTX_copy_ex(work.ctx, initial.ctx) != 1 ||
            EVP_DigestUpdate(work.ctx, link, kSha256Size) != 1 ||
            EVP_DigestFinal_ex(work.ctx, link, &written) != 1) {
            return false;
        }
    }
    return true;
}

// EVP_DigestInit_ex2 on one reused context.
bool ChainReinitialise(const EVP_MD* md, std::uint64_t count, std::uint8_t* link) {
    DigestContext work;
    unsigned int written = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (EVP_DigestInit_ex2(work.ctx, md, nullptr) != 1 ||
            EVP_DigestUpdate(work.ctx, link, kSha256Size) != 1 ||
            EVP_DigestFinal_ex(work.ctx, link, &written) != 1) {
            return false;
        }
    }
    return true;
}

// The one-shot EVP_Digest, which makes and frees a context per digest.
bool ChainOneShot(const EVP_MD* md, std::uint64_t count, std::uint8_t* link) {
    unsigned int written = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (EVP_Digest(link, kSha256Size, link, &written, md, nullptr) != 1) return false;
    }
    return true;
}

using Chain = bool (*)(const EVP_MD*, std::uint64_t, std::uint8_t*);

struct NamedChain {
    const char* name;
    Chain chain;
};

const NamedChain kChains[] = {
    {"copy_from_initial_state", ChainCopyFromInitialState},
    {"reinit_fetched_digest", ChainReinitialise},
    {"evp_digest_one_shot", ChainOneShot},
};

bool OpenSslPbkdf2(const Bytes& secret, const Bytes& salt, Bytes& key) {
    key.assign(kStretchedKeySize, 0);
    return PKCS5_PBKDF2_HMAC(reinterpret_cast<const char*>(secret.data()),
                             static_cast<int>(secret.size()), salt.data(),
                             static_cast<int>(salt.size()), static_cast<int>(kPbkdf2Iterations),
                             EVP_sha256(), static_cast<int>(key.size()), key.data()) == 1;
}

// A benchmark of something that computes the wrong thing measures nothing:
// ours must give OpenSSL's key, and every chain the iterated Sha256Digest.
bool InputsAndResultsAgree(const Bytes& secret, const Bytes& salt) {
    if (salt.size() != kSha256Size) return false;
    const Bytes ours = Pbkdf2Sha256(secret.data(), static_cast<std::uint32_t>(secret.size()),
                                    salt.data(), salt.size(), kPbkdf2Iterations,
                                    kStretchedKeySize);
    Bytes theirs;
    if (!OpenSslPbkdf2(secret, salt, theirs) || ours != theirs) return false;

    constexpr int kLinks = 1000;
    Bytes expected(kSha256Size, 0);
    for (int i = 0; i < kLinks; ++i) expected = Sha256Digest(expected.data(), expected.size());
    FetchedSha256 sha256;
    for (const NamedChain& named : kChains) {
        Bytes link(kSha256Size, 0);
        if (sha256.md == nullptr || !named.chain(sha256.md, kLinks, link.data()) ||
            link != expected) {
            return false;
        }
    }
    return true;
}

void RunOurPbkdf2(benchmark::State& state, const Bytes& secret, const Bytes& salt) {
    for (auto _ : state) {
        Bytes key = Pbkdf2Sha256(secret.data(), static_cast<std::uint32_t>(secret.size()),
                                 salt.data(), salt.size(), kPbkdf2Iterations, kStretchedKeySize);
        benchmark::DoNotOptimize(key.data());
        if (key.empty()) state.SkipWithError("Pbkdf2Sha256 failed");
        SecureWipeContents(key);
    }
}

void RunOpenSslPbkdf2(benchmark::State& state, const Bytes& secret, const Bytes& salt) {
    Bytes key;
    for (auto _ : state) {
        if (!OpenSslPbkdf2(secret, salt, key)) state.SkipWithError("PKCS5_PBKDF2_HMAC failed");
        benchmark::DoNotOptimize(key.data());
    }
    SecureWipeContents(key);
}

void RunChain(benchmark::State& state, Chain chain) {
    FetchedSha256 sha256;
    Bytes link(kSha256Size, 0);
    for (auto _ : state) {
        if (sha256.md == nullptr || !chain(sha256.md, kChainLength, link.data())) {
            state.SkipWithError("EVP digest failed");
        }
        benchmark::DoNotOptimize(link.data());
    }
}

void RunGeneratePassword(benchmark::State& state, std::int32_t length) {
    const Bytes keyword1 = BenchBytes(kBenchKeyword1);
    const Bytes keyword2 = BenchBytes(kBenchKeyword2);
    for (auto _ : state) {
        ArmCryptoFailureReport();
        Bytes password =
            GeneratePassword(keyword1, keyword2, length, kBenchSymbols, true, true, true);
        benchmark::DoNotOptimize(password.data());
        if (!IsCryptoFailureReportPending()) state.SkipWithError("GeneratePassword failed");
        SecureWipeContents(password);
    }
}

// The usual console table, then the ratios between the medians (the single
// measurement when the run has one repetition), of real time and of CPU time:
// on a shared machine the CPU times are the steadier of the two.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, so that a redirected run stays plain text.
    RatioReporter()
        : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) continue;
            Measured& measured = measured_[run.run_name.function_name];
            if (measured.fromMedian && !median) continue;
            measured = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime(), median,
                        run.repetitions};
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        // The limit is the fastest chain, taken separately for each clock.
        std::string fastestReal;
        std::string fastestCpu;
        for (const auto& entry : measured_) {
            if (entry.first.rfind(kChainPrefix, 0) != 0) continue;
            const Measured& chain = entry.second;
            if (fastestReal.empty() || chain.realTime < measured_[fastestReal].realTime) {
                fastestReal = entry.first;
            }
            if (fastestCpu.empty() || chain.cpuTime < measured_[fastestCpu].cpuTime) {
                fastestCpu = entry.first;
            }
        }
        if (!fastestReal.empty()) {
            Measured& limit = measured_[kLimit];
            limit = measured_[fastestReal];
            limit.cpuTime = measured_[fastestCpu].cpuTime;
        }
        const auto found = measured_.find(kOurs);
        if (found == measured_.end()) return;
        const Measured& ours = found->second;
        std::ostream& out = GetOutputStream();
        out << "\nRatios of ";
        if (ours.fromMedian) {
            out << "medians (" << ours.repetitions << " repetitions)";
        } else {
            out << "times (one repetition)";
        }
        char header[160];
        std::snprintf(header, sizeof header, ":\n  %-62s %6s %6s\n", "", "real", "CPU");
        out << header;
        PrintRatio("ours / OpenSSL PKCS5_PBKDF2_HMAC", kOurs, kOpenSsl, "<= 0.75");
        PrintRatio("ours / limit", kOurs, kLimit, "<= 1.70");
        PrintRatio("GeneratePassword(12) / ours", kGenerate12, kOurs, "<= 1.05");
        PrintRatio("GeneratePassword(128) / ours", kGenerate128, kOurs, "<= 1.05");
        if (!fastestReal.empty()) {
            out << "  limit = fastest chain: " << fastestReal << " (real), " << fastestCpu
                << " (CPU)\n";
        }
    }

private:
    struct Measured {
        double realTime = 0;
        double cpuTime = 0;
        bool fromMedian = false;
        std::int64_t repetitions = 0;
    };

    void PrintRatio(const std::string& label, const std::string& numerator,
                    const std::string& denominator, const char* target) const {
        const auto top = measured_.find(numerator);
        const auto bottom = measured_.find(denominator);
        if (top == measured_.end() || bottom == measured_.end()) return;
        char line[160];
        std::snprintf(line, sizeof line, "  %-62s %6.3f %6.3f   (target %s)\n", label.c_str(),
                      top->second.realTime / bottom->second.realTime,
                      top->second.cpuTime / bottom->second.cpuTime, target);
        GetOutputStream() << line;
    }

    std::map<std::string, Measured> measured_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (!OpenCryptoProviders()) return 1;

    const Bytes secret = BenchSecret();
    const Bytes salt = BenchSalt();
    if (!InputsAndResultsAgree(secret, salt)) {
        std::fprintf(stderr, "Pbkdf2Sha256 or a digest chain gives a wrong result; not timed.\n");
        return 1;
    }

    auto configure = [](benchmark::internal::Benchmark* b) {
        b->Unit(benchmark::kMillisecond)->UseRealTime();
    };
    configure(benchmark::RegisterBenchmark(kOurs, RunOurPbkdf2, secret, salt));
    configure(benchmark::RegisterBenchmark(kOpenSsl, RunOpenSslPbkdf2, secret, salt));
    for (const NamedChain& named : kChains) {
        const std::string name = std::string(kChainPrefix) + named.name;
        configure(benchmark::RegisterBenchmark(name.c_str(), RunChain, named.chain));
    }
    configure(benchmark::RegisterBenchmark(kGenerate12, RunGeneratePassword, 12));
    configure(benchmark::RegisterBenchmark(kGenerate128, RunGeneratePassword, 128));

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    CloseCryptoProviders();
    return 0;
}
