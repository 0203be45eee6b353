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

TEST(IsValidUtf8Test, AcceptsExactlyWhatWindowsConversionCanProduce) {
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
        EXPECT_EQ(IsValidUtf8(FromHex(c.hex)), c.valid) << c.hex;
    }
}

}  // namespace
