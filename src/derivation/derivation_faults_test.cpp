// The derivation on a crypto layer that fails chosen calls: a failure is
// reported once per generation, and everything downstream still runs to a
// full-length result, which the caller then discards.
#include <gtest/gtest.h>

#include "crypto/testing/crypto_faults.h"
#include "derivation/key_derivation.h"
#include "derivation/password_generator.h"
#include "support/hex.h"

namespace {

int g_reports = 0;
void CountReport(const char*) { ++g_reports; }

class DerivationFaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenCryptoProviders());
        ResetCryptoFaults();
        g_reports = 0;
        SetCryptoFailurePresenter(CountReport);
        ArmCryptoFailureReport();
    }
    void TearDown() override {
        SetCryptoFailurePresenter(nullptr);
        ResetCryptoFaults();
        CloseCryptoProviders();
    }
    const Bytes keyword1_ = AsBytes("alpha");
    const Bytes keyword2_ = AsBytes("beta");
};

Bytes Hmac(const Bytes& key, const Bytes& data) {
    return HmacSha256(key.data(), key.size(), data.data(), data.size());
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

TEST_F(DerivationFaultsTest, EachFailingCallReportsOnceAndStillGivesFullLength) {
    struct Case {
        const char* name;
        std::vector<std::pair<CryptoOperation, int>> failures;
    };
    const Case cases[] = {
        {"salt digest", {{CryptoOperation::Digest, 1}}},
        {"PBKDF2", {{CryptoOperation::Pbkdf2, 1}}},
        {"HKDF-Extract", {{CryptoOperation::Hmac, 1}}},
        {"first HKDF block", {{CryptoOperation::Hmac, 2}}},
        {"last HKDF block", {{CryptoOperation::Hmac, 19}}},
        {"digest and PBKDF2", {{CryptoOperation::Digest, 1}, {CryptoOperation::Pbkdf2, 1}}},
        {"every HMAC", {{CryptoOperation::Hmac, 1}, {CryptoOperation::Hmac, 2},
                        {CryptoOperation::Hmac, 3}, {CryptoOperation::Hmac, 19}}},
    };
    for (const Case& c : cases) {
        ResetCryptoFaults();
        g_reports = 0;
        for (const auto& [operation, number] : c.failures) FailCryptoCall(operation, number);
        ArmCryptoFailureReport();
        const Bytes password =
            GeneratePassword(keyword1_, keyword2_, 12, "!@#$%*-_", true, true, true);
        EXPECT_EQ(password.size(), 12u) << c.name;
        EXPECT_EQ(g_reports, 1) << c.name;
        EXPECT_FALSE(IsCryptoFailureReportPending()) << c.name;
        // The whole pipeline ran: one digest, one PBKDF2, extract + 18 blocks.
        EXPECT_EQ(CryptoCallCount(CryptoOperation::Digest), 1) << c.name;
        EXPECT_EQ(CryptoCallCount(CryptoOperation::Pbkdf2), 1) << c.name;
        EXPECT_EQ(CryptoCallCount(CryptoOperation::Hmac), 19) << c.name;
    }
}

TEST_F(DerivationFaultsTest, ReArmingReportsAgainAndASoundRunMatchesAnUnfaultedOne) {
    const Bytes expected = GeneratePassword(keyword1_, keyword2_, 12, "!", true, true, true);
    ASSERT_EQ(g_reports, 0);

    for (int round = 1; round <= 2; ++round) {
        ResetCryptoFaults();
        FailCryptoCall(CryptoOperation::Pbkdf2, 1);
        ArmCryptoFailureReport();
        const Bytes failed = GeneratePassword(keyword1_, keyword2_, 12, "!", true, true, true);
        EXPECT_EQ(g_reports, round);
        EXPECT_NE(failed, expected);
    }
    ResetCryptoFaults();
    ArmCryptoFailureReport();
    EXPECT_EQ(GeneratePassword(keyword1_, keyword2_, 12, "!", true, true, true), expected);
    EXPECT_EQ(g_reports, 2);
    EXPECT_TRUE(IsCryptoFailureReportPending());
}

TEST_F(DerivationFaultsTest, FailedHkdfBlockAddsNothingAndRestartsTheChain) {
    const Bytes prk(32, 0x5a);
    const Bytes info = AsBytes("VORKASOFT-v2-MATERIAL");
    // 112 bytes take four blocks. Block 2 fails: block 3 is computed with an
    // empty previous block, and the three blocks left are padded with zeros.
    const Bytes b1 = Hmac(prk, Concat({info, {1}}));
    const Bytes b3 = Hmac(prk, Concat({info, {3}}));
    const Bytes b4 = Hmac(prk, Concat({b3, info, {4}}));
    const Bytes expected = Concat({b1, b3, b4, Bytes(16, 0)});

    ResetCryptoFaults();
    FailCryptoCall(CryptoOperation::Hmac, 2);
    const Bytes material = HkdfExpand(prk, info, 112);
    EXPECT_EQ(ToHex(material), ToHex(expected));
    EXPECT_EQ(g_reports, 1);
}

TEST_F(DerivationFaultsTest, HkdfBeyondTheCounterIsAFailureNotAWrappedCounter) {
    const Bytes prk(32, 1);
    const Bytes material = HkdfExpand(prk, AsBytes("info"), kHkdfMaxOutput + 1);
    EXPECT_EQ(material, Bytes(8161, 0));
    EXPECT_EQ(g_reports, 1);
    EXPECT_EQ(CryptoCallCount(CryptoOperation::Hmac), 0);
}

TEST_F(DerivationFaultsTest, WhatTheGeneratorCannotServeMakesNoCryptographicCall) {
    // Draw picks from one byte, so above 256 positions or 256 pool
    // characters it could only ever give 0: a password that looks sound but
    // is barely shuffled. Such requests are refused like an empty pool.
    std::string pool256;
    for (int i = 0; i < 256; ++i) pool256.push_back(static_cast<char>(i));
    struct Case {
        const char* name;
        std::int32_t length;
        std::string symbols;
        bool numbers, uppercase, lowercase;
    };
    const Case cases[] = {
        {"empty pool", 12, "", false, false, false},
        {"length 0", 0, "!", true, true, true},
        {"negative length", -3, "!", true, true, true},
        {"length 257", 257, "!", true, true, true},
        {"largest int length", 2147483647, "!", true, true, true},
        {"pool 257", 12, pool256.substr(0, 195), true, true, true},  // 62 + 195
        {"pool 257 of symbols", 12, pool256 + "!", false, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(GeneratePassword(keyword1_, keyword2_, c.length, c.symbols, c.numbers,
                                     c.uppercase, c.lowercase)
                        .empty())
            << c.name;
    }
    for (auto operation : {CryptoOperation::Digest, CryptoOperation::Hmac, CryptoOperation::Pbkdf2}) {
        EXPECT_EQ(CryptoCallCount(operation), 0);
    }
    EXPECT_EQ(g_reports, 0);
}

}  // namespace
