// The keyword rules in both forms a keyword takes: the window's UTF-16 text
// and the command-line program's UTF-8 bytes. The same text must get the same
// verdict in both, so each row gives the text in both forms, written out by
// hand rather than converted by the code under test.
#include <gtest/gtest.h>

#include "derivation/keyword_rules.h"
#include "support/hex.h"

namespace {

template <typename Text>
Text Repeat(const Text& part, std::size_t count) {
    Text out;
    for (std::size_t i = 0; i < count; ++i) out += part;
    return out;
}

Bytes Utf8(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST(CheckKeywordTest, SameVerdictForTheWindowsTextAndThePipedBytes) {
    const std::string nul(1, '\0');
    struct Case {
        const char* name;
        std::u16string utf16;
        std::string utf8;
        KeywordFault fault;
    };
    const Case cases[] = {
        {"empty", u"", "", KeywordFault::Empty},
        {"one letter", u"a", "a", KeywordFault::None},
        {"spaces only", u"   ", "   ", KeywordFault::None},
        {"NUL inside", std::u16string(u"a\0b", 3), "a" + nul + "b", KeywordFault::HoldsNul},
        {"NUL alone", std::u16string(1, u'\0'), nul, KeywordFault::HoldsNul},
        // U+FEFF is an ordinary character inside a keyword.
        {"leading U+FEFF", u"\ufeffalpha", "\xef\xbb\xbf" "alpha", KeywordFault::None},
        {"30000 ASCII", Repeat<std::u16string>(u"k", 30000), Repeat<std::string>("k", 30000),
         KeywordFault::None},
        {"30001 ASCII", Repeat<std::u16string>(u"k", 30001), Repeat<std::string>("k", 30001),
         KeywordFault::TooLong},
        // Two bytes, one unit each.
        {"30000 e-acute", Repeat<std::u16string>(u"\u00e9", 30000),
         Repeat<std::string>("\xc3\xa9", 30000), KeywordFault::None},
        // Three bytes, one unit each: 90000 bytes are still within the limit.
        {"30000 euro signs", Repeat<std::u16string>(u"\u20ac", 30000),
         Repeat<std::string>("\xe2\x82\xac", 30000), KeywordFault::None},
        {"30001 euro signs", Repeat<std::u16string>(u"\u20ac", 30001),
         Repeat<std::string>("\xe2\x82\xac", 30001), KeywordFault::TooLong},
        // Four bytes, two units (a surrogate pair) each.
        {"15000 keys", Repeat<std::u16string>(u"\U0001F511", 15000),
         Repeat<std::string>("\xf0\x9f\x94\x91", 15000), KeywordFault::None},
        {"15000 keys and one letter", Repeat<std::u16string>(u"\U0001F511", 15000) + u"k",
         Repeat<std::string>("\xf0\x9f\x94\x91", 15000) + "k", KeywordFault::TooLong},
        // A NUL is named even in a keyword that is also too long.
        {"NUL in a long keyword", Repeat<std::u16string>(u"k", 30001) + std::u16string(1, u'\0'),
         Repeat<std::string>("k", 30001) + nul, KeywordFault::HoldsNul},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckKeyword(c.utf16), c.fault) << c.name << " (UTF-16)";
        EXPECT_EQ(CheckKeyword(Utf8(c.utf8)), c.fault) << c.name << " (UTF-8)";
    }
}

TEST(CheckKeywordTest, BytesThatAreNotUtf8AreNamedBeforeAnyOtherFault) {
    for (const char* hex : {"cafe e9", "00 e9", "ed a0 80", "c0 af"}) {
        EXPECT_EQ(CheckKeyword(FromHex(hex)), KeywordFault::NotUtf8) << hex;
    }
}

// The window and the command-line program render this one decision, so both
// forms of a pair must get the same fault for the same keyword.
TEST(CheckKeywordPairTest, BothPresentFirstThenKeywordOneThenKeywordTwo) {
    const std::string nul(1, '\0');
    const std::u16string nul16(1, u'\0');
    const std::u16string long16 = Repeat<std::u16string>(u"k", 30001);
    const std::string long8 = Repeat<std::string>("k", 30001);
    struct Case {
        const char* name;
        std::u16string utf16[2];
        std::string utf8[2];
        KeywordFault fault;
        int keywordNumber;
    };
    const Case cases[] = {
        {"both missing", {u"", u""}, {"", ""}, KeywordFault::Empty, 1},
        {"keyword 1 missing", {u"", u"b"}, {"", "b"}, KeywordFault::Empty, 1},
        {"keyword 2 missing", {u"a", u""}, {"a", ""}, KeywordFault::Empty, 2},
        // Spaces alone are a keyword.
        {"spaces only", {u" ", u" "}, {" ", " "}, KeywordFault::None, 0},
        {"both fine", {u"alpha", u"beta"}, {"alpha", "beta"}, KeywordFault::None, 0},
        // A missing keyword is named before a fault of the other one,
        // whatever its size.
        {"too long, keyword 2 missing", {long16, u""}, {long8, ""}, KeywordFault::Empty, 2},
        {"keyword 1 missing, NUL in 2", {u"", u"a" + nul16}, {"", "a" + nul}, KeywordFault::Empty,
         1},
        {"NUL in 1", {u"a" + nul16, u"b"}, {"a" + nul, "b"}, KeywordFault::HoldsNul, 1},
        {"NUL in 2", {u"a", u"b" + nul16}, {"a", "b" + nul}, KeywordFault::HoldsNul, 2},
        {"too long 1, NUL in 2", {long16, u"b" + nul16}, {long8, "b" + nul},
         KeywordFault::TooLong, 1},
        {"NUL in 1, too long 2", {u"a" + nul16, long16}, {"a" + nul, long8},
         KeywordFault::HoldsNul, 1},
        {"too long 2", {u"a", long16}, {"a", long8}, KeywordFault::TooLong, 2},
    };
    for (const Case& c : cases) {
        const KeywordVerdict wide = CheckKeywordPair(c.utf16[0], c.utf16[1]);
        EXPECT_EQ(wide.fault, c.fault) << c.name << " (UTF-16)";
        EXPECT_EQ(wide.keywordNumber, c.keywordNumber) << c.name << " (UTF-16)";
        const KeywordVerdict bytes = CheckKeywordPair(Utf8(c.utf8[0]), Utf8(c.utf8[1]));
        EXPECT_EQ(bytes.fault, c.fault) << c.name << " (UTF-8)";
        EXPECT_EQ(bytes.keywordNumber, c.keywordNumber) << c.name << " (UTF-8)";
    }
}

TEST(CheckKeywordPairTest, BytesThatAreNotUtf8InKeywordOneComeBeforeKeywordTwosFaults) {
    struct Case {
        const char* keyword1Hex;
        const char* keyword2Hex;
        KeywordFault fault;
        int keywordNumber;
    };
    const Case cases[] = {
        {"cafe e9", "62 00", KeywordFault::NotUtf8, 1},
        {"61 00", "cafe e9", KeywordFault::HoldsNul, 1},
        {"61", "c0 af", KeywordFault::NotUtf8, 2},
        {"ed a0 80", "", KeywordFault::Empty, 2},
    };
    for (const Case& c : cases) {
        const KeywordVerdict verdict = CheckKeywordPair(FromHex(c.keyword1Hex), FromHex(c.keyword2Hex));
        EXPECT_EQ(verdict.fault, c.fault) << c.keyword1Hex << " / " << c.keyword2Hex;
        EXPECT_EQ(verdict.keywordNumber, c.keywordNumber) << c.keyword1Hex << " / " << c.keyword2Hex;
    }
}

TEST(KeywordFaultTextTest, OneLineNamingTheKeywordAndWhatToDo) {
    struct Case {
        KeywordFault fault;
        int keyword;
        std::string part;
    };
    const Case cases[] = {
        {KeywordFault::Empty, 2, "Both Keyword 1 and Keyword 2 are required."},
        {KeywordFault::NotUtf8, 1, "Keyword 1 is not UTF-8"},
        {KeywordFault::HoldsNul, 2, "Keyword 2 holds a NUL character"},
        {KeywordFault::TooLong, 1, "Keyword 1 is longer than 30000 characters"},
    };
    for (const Case& c : cases) {
        const std::string text = KeywordFaultText(c.fault, c.keyword);
        EXPECT_NE(text.find(c.part), std::string::npos) << text;
        EXPECT_EQ(text.find('\n'), std::string::npos) << text;
    }
    EXPECT_EQ(KeywordFaultText(KeywordFault::None, 1), "");
}

TEST(KeywordCutTextTest, NamesTheKeywordAndTheLimit) {
    EXPECT_EQ(KeywordCutText(1),
              "Keyword 1 was cut to 30000 characters, the longest a keyword can be. Check it, "
              "or use a shorter keyword.");
    EXPECT_EQ(KeywordCutText(2),
              "Keyword 2 was cut to 30000 characters, the longest a keyword can be. Check it, "
              "or use a shorter keyword.");
}

// Piped bytes are refused as not UTF-8 exactly when Windows' conversion
// could not have produced them from typed text.
TEST(CheckKeywordTest, AcceptsAsUtf8ExactlyWhatWindowsConversionCanProduce) {
    struct Case {
        std::string hex;
        bool valid;
    };
    const Case cases[] = {
        {"", true},          {"41", true},           {"c3a9", true},       {"e282ac", true},
        {"efbfbd", true},    {"f09f9491", true},     {"f48fbfbf", true},   {"efbfbf", true},
        {"80", false},       {"c3", false},          {"c328", false},      {"c0af", false},
        {"e080af", false},   {"eda080", false},      {"edbfbf", false},    {"f08f bfbf", false},
        {"f4908080", false}, {"f8888080 80", false}, {"ff", false},        {"fe", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckKeyword(FromHex(c.hex)) != KeywordFault::NotUtf8, c.valid) << c.hex;
    }
}

}  // namespace
