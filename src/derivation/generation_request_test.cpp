// The request rules: symbol filtering, the strength estimate, the settings'
// rule both front ends keep, and the UTF-8 bytes every keyword turns into. The ToUtf8 table runs on both
// builds, so it shows that the portable conversion and Windows' own agree.
#include <gtest/gtest.h>

#include "derivation/generation_request.h"
#include "derivation/utf8.h"
#include "support/hex.h"

namespace {

TEST(FilterSymbolsTest, KeepsAsciiPunctuationOnceInOrderOfFirstAppearance) {
    struct Case {
        std::u16string allowed;
        std::string symbols;
    };
    const Case cases[] = {
        {u"aa!!b  #\u00e9@", "!#@"},
        {u"abcXYZ0189", ""},
        {u"", ""},
        {u"!@#$%*-_", "!@#$%*-_"},
        {u"_-*%$#@!!", "_-*%$#@!"},
        // Space (32) and DEL (127) lie just outside the accepted range.
        {u" \x7f\x1f~", "~"},
        // Characters outside ASCII are dropped, even when their low byte is
        // punctuation (U+0121 and U+FF01 end in 0x21 '!').
        {u"\u0121\uff01\U0001F600\xd800?", "?"},
        {u"!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~ all 32 and again !\"#",
         "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FilterSymbols(c.allowed), c.symbols);
    }
}

TEST(EstimateEntropyBitsTest, PoolSizeTimesLength) {
    struct Case {
        std::int32_t length;
        bool numbers, uppercase, lowercase;
        std::string symbols;
        double bits;
    };
    const std::string all32 = "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";
    const Case cases[] = {
        {12, true, true, true, "!@#$%*-_", 73.55},
        {5, false, false, true, "", 23.50},
        {128, true, true, true, all32, 838.99},
        {12, false, true, true, "", 68.41},
        {12, false, false, false, "", 0.0},
        {7, false, false, false, "#", 0.0},  // a pool of one: log2(1) = 0
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(EstimateEntropyBits(c.length, c.numbers, c.uppercase, c.lowercase, c.symbols),
                    c.bits, 0.005)
            << c.length << " " << c.symbols;
    }
}

TEST(StrengthHeadingTest, RoundsToWholeBitsAfterTwoSpaces) {
    struct Case {
        double bits;
        const char* heading;
    };
    const Case cases[] = {
        {73.55, "Generated password  (74 bits)"},
        {68.41, "Generated password  (68 bits)"},
        {838.99, "Generated password  (839 bits)"},
        {0.0, "Generated password  (0 bits)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StrengthHeading(c.bits), c.heading) << c.bits;
    }
}

// The window's first state and the command-line program's defaults.
TEST(DefaultsTest, LengthTwelveWithinFiveTo128AndEightSymbols) {
    EXPECT_EQ(kMinLength, 5);
    EXPECT_EQ(kMaxLength, 128);
    const GenerationRequest request;
    EXPECT_EQ(request.length, 12);
    EXPECT_EQ(request.symbols, "!@#$%*-_");
    EXPECT_TRUE(request.numbers && request.uppercase && request.lowercase);
}

// Both front ends refuse what this refuses, so the window and the
// command-line program can never disagree about a setting. The length's
// bounds, both letter cases off (even with numbers and symbols on, which
// would still give a password), and the length judged before the cases.
TEST(CheckSettingsTest, LengthInRangeAndOneLetterCase) {
    struct Case {
        std::int32_t length;
        bool numbers, uppercase, lowercase;
        SettingsFault fault;
    };
    const Case cases[] = {
        {5, true, true, true, SettingsFault::None},
        {128, true, true, true, SettingsFault::None},
        {4, true, true, true, SettingsFault::LengthOutOfRange},
        {129, true, true, true, SettingsFault::LengthOutOfRange},
        {0, true, true, true, SettingsFault::LengthOutOfRange},
        {-12, true, true, true, SettingsFault::LengthOutOfRange},
        {12, false, true, false, SettingsFault::None},
        {12, false, false, true, SettingsFault::None},
        {12, true, false, false, SettingsFault::NoLetterCase},
        {12, false, false, false, SettingsFault::NoLetterCase},
        {200, true, false, false, SettingsFault::LengthOutOfRange},
    };
    for (const Case& c : cases) {
        GenerationRequest request;
        request.length = c.length;
        request.numbers = c.numbers;
        request.uppercase = c.uppercase;
        request.lowercase = c.lowercase;
        EXPECT_EQ(CheckSettings(request), c.fault)
            << c.length << " " << c.numbers << c.uppercase << c.lowercase;
    }
}

TEST(ToUtf8Test, GivesTheBytesOfWindowsConversion) {
    struct Case {
        const char* name;
        std::u16string text;
        std::string utf8Hex;
    };
    const Case cases[] = {
        {"empty", u"", ""},
        {"ASCII with spaces", u" ab ", "20616220"},
        {"two-byte", u"\u00e9\u00df", "c3a9c39f"},
        {"three-byte", u"\u20ac\u65e5", "e282ace697a5"},
        {"four-byte pair", u"\U0001F511", "f09f9491"},
        {"lone high surrogate", std::u16string{u'a', char16_t(0xD83D), u'b'}, "61efbfbd62"},
        {"lone high surrogate at the end", std::u16string{u'a', char16_t(0xD83D)}, "61efbfbd"},
        {"lone low surrogate", std::u16string{char16_t(0xDD11), u'x'}, "efbfbd78"},
        {"reversed pair", std::u16string{char16_t(0xDD11), char16_t(0xD83D)}, "efbfbdefbfbd"},
        {"embedded zero", std::u16string{u'a', u'\0', u'b'}, "610062"},
        {"last BMP code point", u"\uffff", "efbfbf"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToHex(ToUtf8(c.text)), c.utf8Hex) << c.name;
    }
}

}  // namespace
