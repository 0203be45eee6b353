// SecureWipe survives optimisation. A buffer cleared just before it goes out
// of scope is a dead store to the optimiser: a plain memset there is dropped,
// and the secret stays in the released stack frame. The check reads the
// frame back from the next call at the same depth, and a control case shows
// that it sees exactly that dropped memset.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "crypto/crypto.h"

namespace {

// Unlike anything else on the stack.
const Bytes kSecret = {'t', 'a', 'r', 'n', '-', 's', 't', 'a', 'c', 'k', '-', '9', 'Q', 'z', '!', '#'};

constexpr std::size_t kFrameBytes = 512;

// Where the frame's buffer escapes to, so that filling it is not dropped.
Bytes g_digest;

// The whole buffer holds copies, so that the next frame's own bookkeeping
// cannot overwrite all of them.
void FillAndUse(std::uint8_t (&buffer)[kFrameBytes]) {
    for (std::size_t i = 0; i < kFrameBytes; ++i) buffer[i] = kSecret[i % kSecret.size()];
    g_digest = Sha256Digest(buffer, kFrameBytes);
}

[[gnu::noinline]] void LeaveUncleared() {
    std::uint8_t buffer[kFrameBytes];
    FillAndUse(buffer);
}

[[gnu::noinline]] void ClearWithMemset() {
    std::uint8_t buffer[kFrameBytes];
    FillAndUse(buffer);
    std::memset(buffer, 0, sizeof buffer);
}

[[gnu::noinline]] void ClearWithSecureWipe() {
    std::uint8_t buffer[kFrameBytes];
    FillAndUse(buffer);
    SecureWipe(buffer, sizeof buffer);
}

// Called from the same place as the function before it, this frame lies
// where that one was; the area is never written, so it still holds whatever
// that frame left behind.
[[gnu::noinline]] bool ReleasedFrameHoldsTheSecret() {
    volatile std::uint8_t area[2 * kFrameBytes];
    Bytes seen(sizeof area);
    for (std::size_t i = 0; i < sizeof area; ++i) seen[i] = area[i];
    return std::search(seen.begin(), seen.end(), kSecret.begin(), kSecret.end()) != seen.end();
}

#ifdef __OPTIMIZE__
constexpr bool kOptimised = true;
#else
constexpr bool kOptimised = false;
#endif

TEST(SecureWipeTest, SurvivesOptimisationWhereAPlainMemsetIsDropped) {
    ASSERT_TRUE(OpenCryptoProviders());
    struct Case {
        const char* name;
        void (*leave)();
        bool secretLeft;
    };
    const Case cases[] = {
        {"left as it is (the check sees released frames)", LeaveUncleared, true},
        // Kept only when nothing is optimised, as in the sanitizer build.
        {"cleared with a plain memset", ClearWithMemset, kOptimised},
        {"cleared with SecureWipe", ClearWithSecureWipe, false},
    };
    for (const Case& c : cases) {
        c.leave();
        EXPECT_EQ(ReleasedFrameHoldsTheSecret(), c.secretLeft) << c.name;
    }
    CloseCryptoProviders();
}

TEST(SecureWipeTest, ZeroesEveryByteAndToleratesEmpty) {
    Bytes secret = kSecret;
    SecureWipeContents(secret);
    EXPECT_EQ(secret, Bytes(kSecret.size(), 0));
    Bytes empty;
    SecureWipeContents(empty);
    SecureWipe(nullptr, 0);
}

}  // namespace
