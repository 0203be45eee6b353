// Every secret buffer of the derivation is overwritten with zeros before it
// is released: the UTF-8 keyword copies, the PBKDF2 secret, the stretched
// key, the pseudorandom key, each HKDF input, and the material. The expected
// secrets are computed first with the primitives, while nothing is scanned;
// then the real calls run with every released heap block searched for them.
//
// Released without wiping on purpose, and so not looked for: the UTF-16
// keyword texts, the salt, the symbol set, and the HKDF blocks held between
// iterations (32-byte blocks whose bytes are also in the material; the
// material is therefore watched only in windows that straddle two blocks).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "derivation/generation_request.h"
#include "derivation/utf8.h"
#include "derivation/key_derivation.h"
#include "derivation/password_generator.h"
#include "secrets/freed_memory_scanner.h"

namespace {

// Long enough to live on the heap, and unlike anything else in memory.
const std::u16string kKeyword1Text = u"Korrekt Pferd \u00e9t\u00e9 \u65e5\u672c \U0001F511 agrafe-17";
const std::u16string kKeyword2Text = u"second keyword \u00df\u20ac with spaces  ";
const char kKeyword1Utf8[] = u8"Korrekt Pferd \u00e9t\u00e9 \u65e5\u672c \U0001F511 agrafe-17";
const char kKeyword2Utf8[] = u8"second keyword \u00df\u20ac with spaces  ";
const char kAllSymbols[] = "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";

// The careless copies below escape through here, so that the compiler
// cannot drop them as unused.
const void* volatile g_escaped = nullptr;

Bytes Utf8Bytes(const char* text) { return Bytes(text, text + std::strlen(text)); }

Bytes Label(const char* label) { return Utf8Bytes(label); }

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes Slice(const Bytes& bytes, std::size_t begin, std::size_t end) {
    return Bytes(bytes.begin() + static_cast<long>(begin), bytes.begin() + static_cast<long>(end));
}

// The derivation's intermediate values for the two keywords, computed once.
struct Reference {
    Bytes keyword1, keyword2, secret, stretchedKey, pseudorandomKey;
    // HMAC's key for a secret longer than a block; as good as the secret.
    Bytes secretDigest;
    Bytes longestMaterial;  // the material of every length is a prefix of it
};

class SecretsInMemoryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(OpenCryptoProviders());
        ArmCryptoFailureReport();
        Reference& r = reference_;
        r.keyword1 = Utf8Bytes(kKeyword1Utf8);
        r.keyword2 = Utf8Bytes(kKeyword2Utf8);
        r.secret = Concat({r.keyword1, Bytes{0}, r.keyword2});
        // Longer than one HMAC block, so that a provider may hash it first.
        ASSERT_GT(r.secret.size(), kSha256BlockSize);
        r.secretDigest = Sha256Digest(r.secret.data(), r.secret.size());
        const Bytes saltLabel = Label(kSaltLabel), extractLabel = Label(kExtractLabel);
        const Bytes salt = Sha256Digest(saltLabel.data(), saltLabel.size());
        r.stretchedKey = Pbkdf2Sha256(r.secret.data(), static_cast<std::uint32_t>(r.secret.size()),
                                      salt.data(), salt.size(), kPbkdf2Iterations, 32);
        r.pseudorandomKey = HmacSha256(extractLabel.data(), extractLabel.size(),
                                       r.stretchedKey.data(), r.stretchedKey.size());
        // One whole block beyond the longest material, for the bytes cut off
        // the last block.
        r.longestMaterial =
            HkdfExpand(r.pseudorandomKey, Label(kMaterialLabel), MaterialSize(kMaxLength) + 32);
        ASSERT_TRUE(IsCryptoFailureReportPending());
    }
    static void TearDownTestSuite() { CloseCryptoProviders(); }

    void SetUp() override { ArmCryptoFailureReport(); }
    void TearDown() override {
        StopScanning();
        ForgetWatchedSecrets();
    }

    static Bytes MaterialFor(std::int32_t length) {
        return Slice(reference_.longestMaterial, 0, MaterialSize(length));
    }

    // Everything that DeriveMaterial must not leave behind for `length`.
    static void WatchDerivation(std::int32_t length) {
        const Reference& r = reference_;
        // In windows, so that a partial copy is found as well.
        WatchForWindows("keyword 1", r.keyword1, 0, 4, 16);
        WatchForWindows("keyword 2", r.keyword2, 0, 4, 16);
        WatchFor("secret", r.secret);
        WatchFor("secret's digest", r.secretDigest);
        WatchFor("stretched key", r.stretchedKey);
        WatchFor("pseudorandom key", r.pseudorandomKey);
        const std::size_t size = MaterialSize(length);
        WatchForWindows("material", MaterialFor(length), 16, 32);
        const Bytes info = Label(kMaterialLabel);
        const std::size_t blocks = (size + 31) / 32;
        for (std::size_t i = 2; i <= blocks; ++i) {
            const Bytes previous = Slice(r.longestMaterial, 32 * (i - 2), 32 * (i - 1));
            WatchFor("HKDF input " + std::to_string(i),
                     Concat({previous, info, Bytes{static_cast<std::uint8_t>(i)}}));
        }
        // HKDF computes the last block whole; the part cut off is never used
        // and must not outlive the call either.
        if (size % 32 != 0) {
            WatchFor("HKDF bytes beyond the material",
                     Slice(r.longestMaterial, size, blocks * 32));
        }
    }

    static void ExpectNothingFound() {
        EXPECT_GT(BlocksScanned(), 0u) << "no release was scanned: the check proves nothing";
        const std::vector<FreedSecret> found = FreedSecretsFound();
        EXPECT_TRUE(found.empty()) << "released without wiping: " << Describe(found);
    }

    static Reference reference_;
};

Reference SecretsInMemoryTest::reference_;

// The scanner must be able to fail: copies released carelessly are found.
TEST_F(SecretsInMemoryTest, ScannerFindsCopiesReleasedWithoutWiping) {
    struct Case {
        const char* name;
        void (*act)(const Reference&);
        const char* expectedFinding;  // nullptr: nothing may be found
    };
    const Case cases[] = {
        {"a keyword copy released as it is",
         [](const Reference& r) {
             Bytes copy = r.keyword1;
             g_escaped = copy.data();
         },
         "keyword 1"},
        {"a keyword copy wiped first",
         [](const Reference& r) {
             Bytes copy = r.keyword1;
             g_escaped = copy.data();
             SecureWipeContents(copy);
         },
         nullptr},
        // Growing a vector moves it: the old buffers keep what they held.
        {"a keyword grown byte by byte, only the last buffer wiped",
         [](const Reference& r) {
             Bytes grown;
             for (std::uint8_t b : r.keyword2) {
                 grown.push_back(b);
                 g_escaped = grown.data();
             }
             SecureWipeContents(grown);
         },
         "keyword 2"},
        {"part of the material copied and released",
         [](const Reference& r) {
             Bytes part = Slice(r.longestMaterial, 100, 200);
             g_escaped = part.data();
         },
         "material"},
    };
    for (const Case& c : cases) {
        WatchDerivation(kMaxLength);
        StartScanning();
        c.act(reference_);
        StopScanning();
        const std::vector<FreedSecret> found = FreedSecretsFound();
        EXPECT_GT(BlocksScanned(), 0u) << c.name;
        if (c.expectedFinding == nullptr) {
            EXPECT_TRUE(found.empty()) << c.name << ": " << Describe(found);
        } else {
            EXPECT_FALSE(found.empty()) << c.name;
            for (const FreedSecret& f : found) EXPECT_EQ(f.name, c.expectedFinding) << c.name;
        }
        ForgetWatchedSecrets();
    }
}

TEST_F(SecretsInMemoryTest, KeywordCopiesFromToUtf8LeaveNothingBehind) {
    // Also a long text, whose conversion needs a large buffer.
    std::u16string longText;
    std::string longUtf8;
    for (int i = 0; i < 300; ++i) {
        longText += kKeyword1Text + std::u16string(1, static_cast<char16_t>(u'A' + i % 26));
        longUtf8 += kKeyword1Utf8 + std::string(1, static_cast<char>('A' + i % 26));
    }
    const std::pair<std::u16string, Bytes> cases[] = {
        {kKeyword1Text, reference_.keyword1},
        {kKeyword2Text, reference_.keyword2},
        {longText, Bytes(longUtf8.begin(), longUtf8.end())},
    };
    for (const auto& [text, utf8] : cases) {
        WatchForWindows("UTF-8 keyword", utf8, 0, 4, 8);
        StartScanning();
        bool converted;
        {
            // As the main window does: convert, use, wipe, release.
            Bytes copy = ToUtf8(text);
            converted = copy == utf8;
            SecureWipeContents(copy);
        }
        StopScanning();
        EXPECT_TRUE(converted) << utf8.size() << " bytes";
        ExpectNothingFound();
        ForgetWatchedSecrets();
    }
}

TEST_F(SecretsInMemoryTest, DeriveMaterialWipesEveryIntermediate) {
    // 12: the last HKDF block is cut in half; 128: whole blocks only.
    for (std::int32_t length : {12, kMaxLength}) {
        const Bytes expected = MaterialFor(length);
        WatchDerivation(length);
        StartScanning();
        bool same;
        {
            Bytes material = DeriveMaterial(reference_.keyword1, reference_.keyword2, length);
            same = material == expected;
            SecureWipeContents(material);  // the caller's part
        }
        StopScanning();
        EXPECT_TRUE(same) << "length " << length;
        ExpectNothingFound();
        ForgetWatchedSecrets();
    }
    EXPECT_TRUE(IsCryptoFailureReportPending());
}

TEST_F(SecretsInMemoryTest, GeneratePasswordWipesItsMaterial) {
    struct Case {
        std::int32_t length;
        std::string symbols;
        bool numbers, uppercase, lowercase;
    };
    const Case cases[] = {
        {12, kDefaultSymbols, true, true, true},
        {kMaxLength, kAllSymbols, true, true, true},
        {20, "", false, true, true},
    };
    for (const Case& c : cases) {
        const Bytes expected = SelectCharacters(
            MaterialFor(c.length), c.length,
            BuildClassPools(c.symbols, c.numbers, c.uppercase, c.lowercase));
        WatchDerivation(c.length);
        WatchFor("password", expected);
        StartScanning();
        bool same;
        {
            // As the front ends do: show or write the password, then wipe it.
            Bytes password = GeneratePassword(reference_.keyword1, reference_.keyword2, c.length,
                                              c.symbols, c.numbers, c.uppercase, c.lowercase);
            same = password == expected;
            SecureWipeContents(password);
        }
        StopScanning();
        EXPECT_TRUE(same) << "length " << c.length;
        ExpectNothingFound();
        ForgetWatchedSecrets();
    }
    EXPECT_TRUE(IsCryptoFailureReportPending());
}

}  // namespace
