// The time of one generation on the Windows provider (CNG), for comparison
// with the OpenSSL benchmark. Google Benchmark is not cross-built, so this
// times the same inputs with the steady clock and prints the medians:
//
//   cmake/wine-run.sh <build>/wineprefix <build>/bench/generation_timing.exe [runs]
//
// Timing inside the process leaves out Wine's start-up, which a timed run of
// the command-line program would include.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_inputs.h"
#include "crypto/crypto.h"
#include "derivation/key_derivation.h"
#include "derivation/password_generator.h"

namespace {

// Median in milliseconds of `runs` calls of `work`; negative if one fails.
template <typename Work>
double MedianMilliseconds(int runs, Work work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = work();
        const auto stop = std::chrono::steady_clock::now();
        if (!ok) return -1;
        times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    std::sort(times.begin(), times.end());
    const std::size_t middle = times.size() / 2;
    return times.size() % 2 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 9;
    if (runs < 1 || !OpenCryptoProviders()) return 1;

    const Bytes secret = BenchSecret();
    const Bytes salt = BenchSalt();
    const Bytes keyword1 = BenchBytes(kBenchKeyword1);
    const Bytes keyword2 = BenchBytes(kBenchKeyword2);

    const double pbkdf2 = MedianMilliseconds(runs, [&] {
        Bytes key = Pbkdf2Sha256(secret.data(), static_cast<std::uint32_t>(secret.size()),
                                 salt.data(), salt.size(), kPbkdf2Iterations, kStretchedKeySize);
        const bool ok = key.size() == kStretchedKeySize;
        SecureWipeContents(key);
        return ok;
    });
    auto generation = [&](const Bytes& first, std::int32_t length) {
        return MedianMilliseconds(runs, [&] {
            ArmCryptoFailureReport();
            Bytes password =
                GeneratePassword(first, keyword2, length, kBenchSymbols, true, true, true);
            SecureWipeContents(password);
            return IsCryptoFailureReportPending();
        });
    };
    const double generation12 = generation(keyword1, 12);
    const double generation128 = generation(keyword1, 128);
    // A keyword of ten characters against one of the longest the window
    // takes: a secret beyond one HMAC block must not cost more per iteration.
    const double shortKeyword = generation(BenchKeywordOfLength(10), 12);
    const double longKeyword = generation(BenchKeywordOfLength(30000), 12);
    CloseCryptoProviders();
    if (pbkdf2 < 0 || generation12 < 0 || generation128 < 0 || shortKeyword < 0 ||
        longKeyword < 0) {
        return 1;
    }

    std::printf("Median of %d runs, milliseconds:\n", runs);
    std::printf("  Pbkdf2Sha256, 600000 iterations   %8.1f\n", pbkdf2);
    std::printf("  GeneratePassword, length 12       %8.1f\n", generation12);
    std::printf("  GeneratePassword, length 128      %8.1f\n", generation128);
    std::printf("  keyword 1 of 10 characters        %8.1f\n", shortKeyword);
    std::printf("  keyword 1 of 30000 characters     %8.1f\n", longKeyword);
    std::printf("  30000 / 10 characters             %8.2f\n", longKeyword / shortKeyword);
    return 0;
}
