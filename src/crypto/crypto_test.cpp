// Known answers for the three primitives (FIPS 180-4, RFC 4231, RFC 7914) and
// the one-shot failure report. The same file runs natively against OpenSSL and
// under Wine against CNG.
#include <gtest/gtest.h>

#include <string>

#include "crypto/crypto.h"
#include "support/hex.h"

namespace {

class CryptoTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(OpenCryptoProviders()); }
    void TearDown() override { CloseCryptoProviders(); }
};

TEST_F(CryptoTest, Sha256KnownAnswers) {
    struct Case {
        std::string message;
        std::string digest;
    };
    const Case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    };
    for (const Case& c : cases) {
        const Bytes message = AsBytes(c.message);
        EXPECT_EQ(ToHex(Sha256Digest(message.data(), message.size())), c.digest)
            << "message \"" << c.message << "\"";
    }
}

TEST_F(CryptoTest, HmacSha256KnownAnswers) {
    struct Case {
        const char* name;
        Bytes key;
        Bytes data;
        std::string mac;
    };
    const std::string largeKeyData =
        "This is a test using a larger than block-size key and a larger than block-size data. "
        "The key needs to be hashed before being used by the HMAC algorithm.";
    const Case cases[] = {
        {"RFC 4231 case 1", Bytes(20, 0x0b), AsBytes("Hi There"),
         "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
        {"RFC 4231 case 2", AsBytes("Jefe"), AsBytes("what do ya want for nothing?"),
         "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
        {"RFC 4231 case 3", Bytes(20, 0xaa), Bytes(50, 0xdd),
         "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe"},
        {"RFC 4231 case 4", FromHex("0102030405060708090a0b0c0d0e0f10111213141516171819"),
         Bytes(50, 0xcd), "82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b"},
        {"RFC 4231 case 6, key longer than a block", Bytes(131, 0xaa),
         AsBytes("Test Using Larger Than Block-Size Key - Hash Key First"),
         "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
        {"RFC 4231 case 7, key and data longer than a block", Bytes(131, 0xaa),
         AsBytes(largeKeyData),
         "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2"},
        {"empty key, empty data", Bytes{}, Bytes{},
         "b613679a0814d9ec772f95d778c35fc5ff1697c493715653c6c712144292c5ad"},
        {"empty key", Bytes{}, AsBytes("The quick brown fox jumps over the lazy dog"),
         "fb011e6154a19b9a4c767373c305275a5a69e8b68b0b4c9200c383dced19a416"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToHex(HmacSha256(c.key.data(), c.key.size(), c.data.data(), c.data.size())),
                  c.mac)
            << c.name;
    }
}

TEST_F(CryptoTest, HmacSha256TruncatedCaseMatchesPrefix) {
    // RFC 4231 case 5 publishes only the first 128 bits.
    const Bytes key(20, 0x0c);
    const Bytes data = AsBytes("Test With Truncation");
    EXPECT_EQ(ToHex(HmacSha256(key.data(), key.size(), data.data(), data.size())).substr(0, 32),
              "a3b6167473100ee06e0c796c2955552b");
}

TEST_F(CryptoTest, Pbkdf2Sha256KnownAnswers) {
    // RFC 7914 section 11, and the 32-byte output the derivation uses. The
    // other answers come from Python's hashlib.pbkdf2_hmac.
    std::string longPassword;
    while (longPassword.size() < 30000) longPassword += "correct horse battery staple ";
    longPassword.resize(30000);
    struct Case {
        std::string password;
        std::string salt;
        std::uint32_t iterations;
        std::size_t length;
        std::string key;
    };
    const Case cases[] = {
        {"passwd", "salt", 1, 64,
         "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
         "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783"},
        {"Password", "NaCl", 80000, 64,
         "4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56"
         "a1d425a1225833549adb841b51c9b3176a272bdebba1d078478f62b397f33c8d"},
        {"passwd", "salt", 1, 32,
         "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"},
        // A password of exactly one block, and a last block cut to one byte.
        {std::string(64, 'p'), "salt", 2, 33,
         "da45f9b3e39e006a52e97a707dfbc480b65073637b7289176bf8f8f00628b83c65"},
        // One byte more, so the key is hashed first; the long one at the
        // derivation's own iteration count.
        {std::string(65, 'p'), "salt", 2, 33,
         "6f3553a14dcf0e73271c6e26ca06693c24a7d8c0092da9dd4252f8013d559608ca"},
        {longPassword, "salt", 600000, 32,
         "252940a6896c953cba577e04b6a18bd2f8227de7a5f0ba50d203312cd9ab0a28"},
    };
    for (const Case& c : cases) {
        const Bytes password = AsBytes(c.password);
        const Bytes salt = AsBytes(c.salt);
        EXPECT_EQ(ToHex(Pbkdf2Sha256(password.data(), static_cast<std::uint32_t>(password.size()),
                                     salt.data(), salt.size(), c.iterations, c.length)),
                  c.key)
            << c.password.substr(0, 80) << " (" << c.password.size() << " bytes) / " << c.salt
            << " / " << c.iterations;
    }
}

TEST_F(CryptoTest, Pbkdf2Sha256HashesAPasswordLongerThanABlock) {
    // Bytes 0 to 99: HMAC must hash such a key first (RFC 2104).
    Bytes password;
    for (int i = 0; i < 100; ++i) password.push_back(static_cast<std::uint8_t>(i));
    const Bytes salt = AsBytes("NaCl");
    EXPECT_EQ(ToHex(Pbkdf2Sha256(password.data(), static_cast<std::uint32_t>(password.size()),
                                 salt.data(), salt.size(), 3, 40)),
              "cda57f3d19214914f468a077800df6afbf4ec125bedf7665fd8aa3c91d394f26"
              "c0523be01cc14cad");
}

// Counts what the front end would have shown.
int g_presented = 0;
std::string g_lastText;
void CountingPresenter(const char* text) {
    ++g_presented;
    g_lastText = text;
}

class FailureReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_presented = 0;
        SetCryptoFailurePresenter(CountingPresenter);
    }
    void TearDown() override { SetCryptoFailurePresenter(nullptr); }
};

TEST_F(FailureReportTest, ReportsOncePerArmingWithTheFixedText) {
    ArmCryptoFailureReport();
    EXPECT_TRUE(IsCryptoFailureReportPending());
    ReportCryptoFailure();
    ReportCryptoFailure();
    EXPECT_EQ(g_presented, 1);
    EXPECT_EQ(g_lastText, "Cryptographic operation failed.\nPassword generation aborted.");
    EXPECT_FALSE(IsCryptoFailureReportPending());

    ArmCryptoFailureReport();
    ReportCryptoFailure();
    EXPECT_EQ(g_presented, 2);
}

}  // namespace
