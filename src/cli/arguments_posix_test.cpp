#include <gtest/gtest.h>

#include <string>

#include "cli/arguments.h"
#include "derivation/keyword_rules.h"

namespace {

// Keyword 2 from the command line keeps exactly the bytes it was given, so
// that the keyword rules judge those bytes, as they judge piped input.
TEST(ArgumentsTest, KeywordTwoKeepsTheArgumentsBytes) {
    struct Case {
        std::string argument;
        std::u16string parsed;  // what the option parser sees
        KeywordFault fault;
    };
    const Case cases[] = {
        {"bank 2", u"bank 2", KeywordFault::None},
        {"M\xc3\xbcnchen", u"M\u00fcnchen", KeywordFault::None},
        {"\xf0\x9f\x94\x91", u"\U0001F511", KeywordFault::None},
        {"\xf0\x90\x82\x80", u"\U00010080", KeywordFault::None},  // low half U+DC80
        {"caf\xe9", u"caf\xdce9", KeywordFault::NotUtf8},          // Latin-1
        {"\xed\xa0\x80", u"\xdced\xdca0\xdc80", KeywordFault::NotUtf8},  // encoded surrogate
        {"\xc0\xaf", u"\xdcc0\xdcaf", KeywordFault::NotUtf8},            // overlong '/'
        {"\xef\xbf\xbd", u"\ufffd", KeywordFault::None},  // U+FFFD typed is a character
        {"a\xff\xf0\x9f\x94\x91", u"a\xdcff\U0001F511", KeywordFault::NotUtf8},
        // A pair whose second half falls among the escaped bytes, then one.
        {"\xf0\x90\x82\x80\xff", u"\U00010080\xdcff", KeywordFault::NotUtf8},
    };
    for (const Case& c : cases) {
        const std::u16string parsed = ArgumentToUtf16(c.argument.c_str());
        EXPECT_EQ(parsed, c.parsed) << c.argument;
        const Bytes keyword = KeywordFromArgument(parsed);
        EXPECT_EQ(std::string(keyword.begin(), keyword.end()), c.argument);
        EXPECT_EQ(CheckKeyword(keyword), c.fault) << c.argument;
    }
}

}  // namespace
