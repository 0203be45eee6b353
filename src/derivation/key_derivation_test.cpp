// HKDF against RFC 5869, and the shape of the material.
#include <gtest/gtest.h>

#include "derivation/key_derivation.h"
#include "support/hex.h"

namespace {

class KeyDerivationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenCryptoProviders());
        ArmCryptoFailureReport();
    }
    void TearDown() override { CloseCryptoProviders(); }
};

TEST_F(KeyDerivationTest, HkdfMatchesRfc5869) {
    struct Case {
        const char* name;
        Bytes ikm, salt, info;
        std::uint64_t length;
        std::string prk, okm;
    };
    Bytes case2Ikm, case2Salt, case2Info;
    for (int i = 0x00; i < 0x50; ++i) case2Ikm.push_back(static_cast<std::uint8_t>(i));
    for (int i = 0x60; i < 0xb0; ++i) case2Salt.push_back(static_cast<std::uint8_t>(i));
    for (int i = 0xb0; i < 0x100; ++i) case2Info.push_back(static_cast<std::uint8_t>(i));
    const Case cases[] = {
        {"case 1", Bytes(22, 0x0b), FromHex("000102030405060708090a0b0c"),
         FromHex("f0f1f2f3f4f5f6f7f8f9"), 42,
         "077709362c2e32df0ddc3f0dc47bba6390b6c73bb50f9c3122ec844ad7c2b3e5",
         "3cb25f25faacd57a90434f64d0362f2a2d2d0a90cf1a5a4c5db02d56ecc4c5bf34007208d5b887185865"},
        {"case 2", case2Ikm, case2Salt, case2Info, 82,
         "06a6b88c5853361a06104c9ceb35b45cef760014904671014a193f40c15fc244",
         "b11e398dc80327a1c8e7f78c596a49344f012eda2d4efad8a050cc4c19afa97c"
         "59045a99cac7827271cb41c65e590e09da3275600c2f09b8367793a9aca3db71"
         "cc30c58179ec3e87c14c01d5c1f3434f1d87"},
        {"case 3", Bytes(22, 0x0b), Bytes{}, Bytes{}, 42,
         "19ef24a32c717b167f33a91d6f648bdf96596776afdb6377ac434c1c293ccb04",
         "8da4e775a563c18f715f802a063c5a31b8a11f5c5ee1879ec3454e5f3c738d2d9d201395faa4b61a96c8"},
    };
    for (const Case& c : cases) {
        const Bytes prk = HmacSha256(c.salt.data(), c.salt.size(), c.ikm.data(), c.ikm.size());
        EXPECT_EQ(ToHex(prk), c.prk) << c.name;
        EXPECT_EQ(ToHex(HkdfExpand(prk, c.info, c.length)), c.okm) << c.name;
    }
    EXPECT_TRUE(IsCryptoFailureReportPending());
}

TEST_F(KeyDerivationTest, HkdfLengthsAroundBlockBoundariesArePrefixesOfEachOther) {
    const Bytes prk(32, 0x42);
    const Bytes info = {1, 2, 3};
    const Bytes longest = HkdfExpand(prk, info, kHkdfMaxOutput);
    ASSERT_EQ(longest.size(), 8160u);
    for (std::uint64_t length : {0ull, 1ull, 31ull, 32ull, 33ull, 560ull, 1024ull, 8159ull}) {
        const Bytes part = HkdfExpand(prk, info, length);
        ASSERT_EQ(part.size(), length);
        EXPECT_TRUE(std::equal(part.begin(), part.end(), longest.begin())) << length;
    }
    EXPECT_TRUE(IsCryptoFailureReportPending());
}

TEST_F(KeyDerivationTest, MaterialSizeFollowsLength) {
    // 4 x length + 512, worked out by hand: 2^30 is the first length whose
    // size no longer fits in 32 bits (which would give 512), INT32_MAX the last.
    const std::pair<std::int32_t, std::uint64_t> cases[] = {
        {1, 516},
        {5, 532},
        {12, 560},
        {128, 1024},
        {1073741824, 4294967808ull},
        {2147483647, 8589935100ull},
    };
    for (const auto& [length, size] : cases) EXPECT_EQ(MaterialSize(length), size) << length;
}

TEST_F(KeyDerivationTest, MaterialIsDeterministicAndSeparatesTheKeywords) {
    const Bytes abc = AsBytes("abc"), def = AsBytes("def");
    const Bytes ab = AsBytes("ab"), cdef = AsBytes("cdef");
    const Bytes first = DeriveMaterial(abc, def, 12);
    ASSERT_EQ(first.size(), 560u);
    EXPECT_EQ(DeriveMaterial(abc, def, 12), first);
    // Moving a character across the boundary changes the secret, because the
    // zero byte stays between the keywords; so does swapping them.
    EXPECT_NE(DeriveMaterial(ab, cdef, 12), first);
    EXPECT_NE(DeriveMaterial(def, abc, 12), first);
    // The material of a longer password starts with that of a shorter one.
    const Bytes longer = DeriveMaterial(abc, def, 128);
    ASSERT_EQ(longer.size(), 1024u);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), longer.begin()));
    EXPECT_TRUE(IsCryptoFailureReportPending());
}

}  // namespace
