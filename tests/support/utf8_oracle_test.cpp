// The test side's own decoders, against code points written out by hand:
// the fuzz targets and the vector test judge the product by them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/hex.h"
#include "support/utf8_oracle.h"

namespace {

TEST(Utf8OracleTest, Utf16UnpairedSurrogatesBecomeReplacementsAndPairsOneCodePoint) {
    const struct {
        const char* what;
        std::u16string units;
        std::vector<char32_t> codePoints;
        bool wellFormed;
    } cases[] = {
        {"nothing", u"", {}, true},
        {"ASCII", u"a", {0x61}, true},
        {"next to the surrogates", {0xD7FF, 0xE000, 0xFFFF}, {0xD7FF, 0xE000, 0xFFFF}, true},
        {"the first pair", {0xD800, 0xDC00}, {0x10000}, true},
        {"an emoji", {0xD83D, 0xDE00}, {0x1F600}, true},
        {"the last pair", {0xDBFF, 0xDFFF}, {0x10FFFF}, true},
        {"a high surrogate at the end", {0x61, 0xD800}, {0x61, 0xFFFD}, false},
        {"a low surrogate alone", {0xDC00, 0x61}, {0xFFFD, 0x61}, false},
        {"low before high", {0xDC00, 0xD800}, {0xFFFD, 0xFFFD}, false},
        {"two highs, then a low", {0xD800, 0xD800, 0xDC00}, {0xFFFD, 0x10000}, false},
        {"a high before a letter", {0xDBFF, 0x62}, {0xFFFD, 0x62}, false},
        {"a pair, then a low", {0xD83D, 0xDE00, 0xDE00}, {0x1F600, 0xFFFD}, false},
    };
    for (const auto& c : cases) {
        bool wellFormed = !c.wellFormed;
        EXPECT_EQ(DecodeUtf16Leniently(c.units, wellFormed), c.codePoints) << c.what;
        EXPECT_EQ(wellFormed, c.wellFormed) << c.what;
    }
}

TEST(Utf8OracleTest, Utf8DecoderTakesWellFormedSequencesOnly) {
    const struct {
        const char* hex;
        std::vector<char32_t> codePoints;  // empty and refused: ill-formed
        bool wellFormed;
    } cases[] = {
        {"", {}, true},
        {"61c3a9e282ac", {0x61, 0xE9, 0x20AC}, true},
        {"f09f9880", {0x1F600}, true},
        {"f48fbfbf", {0x10FFFF}, true},
        {"efbfbd", {0xFFFD}, true},
        {"c080", {}, false},      // overlong
        {"e08080", {}, false},    // overlong
        {"eda080", {}, false},    // an encoded surrogate
        {"f4908080", {}, false},  // beyond U+10FFFF
        {"e282", {}, false},      // truncated
        {"80", {}, false},        // a stray continuation byte
        {"ff", {}, false},
    };
    for (const auto& c : cases) {
        const std::vector<std::uint8_t> bytes = FromHex(c.hex);
        std::vector<char32_t> codePoints;
        EXPECT_EQ(DecodeUtf8Strictly(bytes.data(), bytes.size(), codePoints), c.wellFormed)
            << c.hex;
        if (c.wellFormed) {
            EXPECT_EQ(codePoints, c.codePoints) << c.hex;
        }
    }
}

}  // namespace
