// Every checked-in vector, through the same path as the Windows program:
// UTF-16 keywords, ToUtf8, GeneratePassword. The vectors were computed by an
// independent script, so agreement here (natively and under Wine) is what
// shows that the same keywords give the same password on every machine.
// The rows released so far are held here by the SHA-256 of their lines, so
// that none can change or go unnoticed, and the loader refuses a malformed
// row, naming its line.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

#include "crypto/crypto.h"
#include "derivation/generation_request.h"
#include "derivation/utf8.h"
#include "derivation/password_generator.h"
#include "support/hex.h"
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

// The rows of passwords.tsv as released, each with the SHA-256 of its line
// (the bytes between two line endings, as `sha256sum` gives them). Rows may
// be added; none of these may change or go, since users rely on each one.
struct ReleasedRow {
    const char* name;
    const char* lineSha256;
};
constexpr ReleasedRow kReleasedRows[] = {
    {"default", "9287ee37712b704f10d0d6f79128fb8001f4953b187ea59e2b98f5383f4d8432"},
    {"swapped", "b7794d06828ffd3c893b4a9057e84057ac04881fb65f7d06c68395a5772e21d2"},
    {"boundary-moved", "7596b3ea1b300ac4943d7972ca2ee301f7f2e0513579a021cece2f7b1ce57c43"},
    {"spaces-kept", "7c0ca0b6baf6f187c4efe627d71d6642bb578751b322e8292462f2dfaf792b8c"},
    {"only-spaces", "3a4bcf715bfbd95f05c981f15a19077b4a408d613d189da55f7315f93806093b"},
    {"non-ascii", "35577c1de2f22f2e808ceb319a3f43ef5d863cfdb355cb8f65cedf732ffcabf2"},
    {"shortest", "f39a96f1a65b6059ab014cad70ccc0d8804c98c1d1f73bbb3d3486ad1fb3eaeb"},
    {"longest-all-symbols", "7db6821c99dad3092eb9b7e452282909d273fb64fd8d8bf4b6fec4b3a44f9d2d"},
    {"letters-only", "09c47cc51a7b8bc0ac314fafdcb1aa225f446398910ce0d2d6f255a581ae5193"},
    {"lowercase-only", "0376f5a20ea0018661d6792b8cbbf4ffeaf220b72d9e1ae0ad0ab72a7969c08d"},
    {"uppercase-digits", "67a4d7d6d1eed0771e4733b1e277e454dde240b44bfe22c6d74d83818062f151"},
    {"lowercase-symbols", "ebcb0461d6943b955b6f2e644ff48f846a08f978865984b2f30ffdb2dd4f74ad"},
    {"one-symbol", "7051066d6006ef312a436bd98f8fe956d8833275e5ab6b0f1b2b7a9665cef61b"},
    {"symbol-order", "34573da44a6ce3224b38a78efbdbebbd01d3b7f5f1f7f955d8a2adf0299708e7"},
    {"uppercase-symbol-32", "baf88dd3180238bd830aed0ab4f0866feee8006bafb0c60c88efe84e79c15668"},
    {"digits-lowercase-long", "4b56989d7c1cd6479fc88714551b1a932ffbc8e00f518064ec7f6d270ec4ac06"},
    {"secret-one-block", "bcc7e0329f64ab54fa42f3ed0a8c3cec2ea2951bae54a9f2e13b8772033c5cc7"},
    {"secret-one-block-and-a-byte",
     "77b0a95153cf9117f66515558e3bdd517edb2541fed23e4d596391f9bdfcc66a"},
    {"long-keyword-30000", "5540677e0b73b47c190f72ea927b3e23ce700283bf3c7f01395bd2907f69e6fe"},
    {"long-keywords-non-ascii",
     "2b871e2e52a9b2e1e3ca031a70860c8dd0ec623cff8bef1f37184cfea8b140b2"},
};

// The rows of the checked-in text by name: every line that is not a comment.
std::map<std::string, std::string> RowLinesByName() {
    std::map<std::string, std::string> rows;
    std::istringstream lines(kPasswordVectorsTsv);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        rows.emplace(line.substr(0, line.find('\t')), line);
    }
    return rows;
}

TEST(PasswordVectorsTest, EveryReleasedRowIsStillThereUnchangedAndEveryRowIsLoaded) {
    ASSERT_TRUE(OpenCryptoProviders());
    const std::map<std::string, std::string> rows = RowLinesByName();
    for (const ReleasedRow& released : kReleasedRows) {
        const auto row = rows.find(released.name);
        if (row == rows.end()) {
            ADD_FAILURE() << released.name << ": the row is gone";
            continue;
        }
        const std::string& line = row->second;
        EXPECT_EQ(ToHex(Sha256Digest(reinterpret_cast<const std::uint8_t*>(line.data()),
                                     line.size())),
                  released.lineSha256)
            << released.name << ": the row has changed";
    }
    CloseCryptoProviders();
    std::vector<PasswordVector> vectors;
    ASSERT_NO_THROW(vectors = LoadPasswordVectors());
    EXPECT_EQ(vectors.size(), rows.size()) << "passwords.tsv was not read completely";
}

TEST(PasswordVectorsTest, EveryVectorGivesItsPassword) {
    ASSERT_TRUE(OpenCryptoProviders());
    std::vector<PasswordVector> vectors;
    ASSERT_NO_THROW(vectors = LoadPasswordVectors());
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
