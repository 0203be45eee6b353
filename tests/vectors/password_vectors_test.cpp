// Every checked-in vector, through the same path as the Windows program:
// UTF-16 keywords, ToUtf8, GeneratePassword. The vectors were computed by an
// independent script, so agreement here (natively and under Wine) is what
// shows that the same keywords give the same password on every machine.
#include <gtest/gtest.h>

#include "derivation/generation_request.h"
#include "derivation/password_generator.h"
#include "vectors/password_vectors.h"

namespace {

// Test-side UTF-8 decoder, independent of the code under test; the vectors
// hold well-formed UTF-8 only.
std::u16string Utf16FromUtf8(const std::vector<std::uint8_t>& utf8) {
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::uint8_t lead = utf8[i];
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (utf8[i + k] & 0x3F);
        i += extra + 1;
        if (cp >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

TEST(PasswordVectorsTest, EveryVectorGivesItsPassword) {
    ASSERT_TRUE(OpenCryptoProviders());
    const auto vectors = LoadPasswordVectors();
    ASSERT_GE(vectors.size(), 12u) << "passwords.tsv was not read completely";
    for (const PasswordVector& v : vectors) {
        const Bytes keyword1 = ToUtf8(Utf16FromUtf8(v.keyword1));
        const Bytes keyword2 = ToUtf8(Utf16FromUtf8(v.keyword2));
        ASSERT_EQ(keyword1, v.keyword1) << v.name;
        ASSERT_EQ(keyword2, v.keyword2) << v.name;
        ArmCryptoFailureReport();
        const Bytes password = GeneratePassword(keyword1, keyword2, v.length, v.symbols,
                                                v.numbers, v.uppercase, v.lowercase);
        EXPECT_TRUE(IsCryptoFailureReportPending()) << v.name;
        EXPECT_EQ(std::string(password.begin(), password.end()), v.password) << v.name;
    }
    CloseCryptoProviders();
}

}  // namespace
