// Every checked-in vector, through the same path as the Windows program:
// UTF-16 keywords, ToUtf8, GeneratePassword. The vectors were computed by an
// independent script, so agreement here (natively and under Wine) is what
// shows that the same keywords give the same password on every machine.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "derivation/generation_request.h"
#include "derivation/utf8.h"
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
    std::vector<PasswordVector> vectors;
    ASSERT_NO_THROW(vectors = LoadPasswordVectors());
    // All 20 rows of the file: each is a password that users rely on.
    ASSERT_EQ(vectors.size(), 20u) << "passwords.tsv was not read completely";
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

// The loader itself: a damaged row must fail the tests rather than drop the
// vector it held.
TEST(PasswordVectorsTest, LoaderReadsEveryFieldOfAWellFormedRow) {
    const std::string tsv =
        "# comment\n"
        "\n"
        "first\t61c3a9\t62\t5\tlun\t#!\tab#C1\n"
        "second\t6b\t6b\t12\tu\t\tABCDEFGHIJKL\n";
    const std::vector<PasswordVector> vectors = ParsePasswordVectors(tsv);
    ASSERT_EQ(vectors.size(), 2u);
    const PasswordVector& v = vectors[0];
    EXPECT_EQ(v.name, "first");
    EXPECT_EQ(v.keyword1, (std::vector<std::uint8_t>{0x61, 0xc3, 0xa9}));
    EXPECT_EQ(v.keyword2, (std::vector<std::uint8_t>{0x62}));
    EXPECT_EQ(v.length, 5);
    EXPECT_TRUE(v.lowercase && v.uppercase && v.numbers);
    EXPECT_EQ(v.symbols, "#!");
    EXPECT_EQ(v.password, "ab#C1");
    const PasswordVector& w = vectors[1];
    EXPECT_TRUE(!w.lowercase && w.uppercase && !w.numbers);
    EXPECT_EQ(w.symbols, "");
    EXPECT_EQ(w.length, 12);
}

TEST(PasswordVectorsTest, LoaderRefusesEveryMalformedRowNamingItsLine) {
    struct Case {
        const char* what;
        const char* row;
    };
    const Case cases[] = {
        {"a field missing", "name\t61\t62\t5\tlun\tabcde"},
        {"a field too many", "name\t61\t62\t5\tlun\t#\tabcde\tx"},
        {"spaces for tabs", "name 61 62 5 lun # abcde"},
        {"no name", "\t61\t62\t5\tlun\t#\tabcde"},
        {"an odd hex digit", "name\t616\t62\t5\tlun\t#\tabcde"},
        {"a character that is not hex", "name\t6g\t62\t5\tlun\t#\tabcde"},
        {"uppercase hex", "name\t61\t6A\t5\tlun\t#\tabcde"},
        {"an empty keyword", "name\t61\t\t5\tlun\t#\tabcde"},
        {"a length with a suffix", "name\t61\t62\t5x\tlun\t#\tabcde"},
        {"a zero length", "name\t61\t62\t0\tlun\t#\t"},
        {"a negative length", "name\t61\t62\t-5\tlun\t#\tabcde"},
        {"an unknown class", "name\t61\t62\t5\tlsn\t#\tabcde"},
        {"a class twice", "name\t61\t62\t5\tll\t#\tabcde"},
        {"no pool at all", "name\t61\t62\t5\t\t\tabcde"},
        {"a password shorter than the length", "name\t61\t62\t5\tlun\t#\tabcd"},
        {"a line ending in CR", "name\t61\t62\t5\tlun\t#\tabcde\r"},
    };
    for (const Case& c : cases) {
        const std::string tsv = std::string("# header\ngood\t61\t62\t5\tl\t\tabcde\n") + c.row + "\n";
        try {
            ParsePasswordVectors(tsv);
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("line 3:"), std::string::npos)
                << c.what << ": " << e.what();
        }
    }
    EXPECT_THROW(ParsePasswordVectors("same\t61\t62\t5\tl\t\tabcde\n"
                                      "same\t63\t64\t5\tl\t\tfghij\n"),
                 std::runtime_error)
        << "a name used twice";
}

}  // namespace
