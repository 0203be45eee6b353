// Every checked-in vector, through the same path as the Windows program:
// UTF-16 keywords, ToUtf8, GeneratePassword. The vectors were computed by an
// independent script, so agreement here (natively and under Wine) is what
// shows that the same keywords give the same password on every machine.
#include <gtest/gtest.h>

#include "derivation/generation_request.h"
#include "derivation/password_generator.h"
#include "support/utf8_oracle.h"
#include "vectors/password_vectors.h"

namespace {

// The keywords as the Windows program holds them: UTF-16, made by a decoder
// that is not the code under test.
std::u16string Utf16FromUtf8(const std::vector<std::uint8_t>& utf8) {
    std::vector<char32_t> codePoints;
    EXPECT_TRUE(DecodeUtf8Strictly(utf8.data(), utf8.size(), codePoints));
    return EncodeUtf16(codePoints);
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
