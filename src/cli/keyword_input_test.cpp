#include <gtest/gtest.h>

#include <string>

#include "cli/keyword_input.h"
#include "support/hex.h"

namespace {

// Serves a fixed input in chunks of a chosen size, then the end (or an error).
struct ScriptedInput {
    std::string data;
    std::size_t chunk = 1;
    std::size_t position = 0;
    bool failAtEnd = false;
};

long ReadScripted(void* context, std::uint8_t* buffer, std::size_t size) {
    auto& input = *static_cast<ScriptedInput*>(context);
    if (input.position == input.data.size()) return input.failAtEnd ? -1 : 0;
    const std::size_t count =
        std::min({size, input.chunk, input.data.size() - input.position});
    std::copy_n(input.data.begin() + static_cast<long>(input.position), count, buffer);
    input.position += count;
    return static_cast<long>(count);
}

struct ReadOutcome {
    bool ok;
    std::string keyword1, keyword2, error;
};

ReadOutcome ReadAll(const std::string& data, std::size_t chunk, bool failAtEnd = false) {
    ScriptedInput input{data, chunk, 0, failAtEnd};
    LineReader reader;
    reader.source = ReadScripted;
    reader.context = &input;
    KeywordPair keywords;
    ReadOutcome outcome;
    outcome.ok = ReadKeywordsFromLines(reader, keywords, outcome.error);
    outcome.keyword1.assign(keywords.keyword1.begin(), keywords.keyword1.end());
    outcome.keyword2.assign(keywords.keyword2.begin(), keywords.keyword2.end());
    return outcome;
}

TEST(KeywordInputTest, TwoLinesWithOnlyTheLineEndingRemoved) {
    struct Case {
        std::string input, keyword1, keyword2;
    };
    const Case cases[] = {
        {"alpha\nbeta\n", "alpha", "beta"},
        {"alpha\r\nbeta\r\n", "alpha", "beta"},
        {"alpha\nbeta", "alpha", "beta"},  // no ending on the last line
        {"  alpha \t\nbeta  \n", "  alpha \t", "beta  "},
        {"a\rb\nc\r\r\n", "a\rb", "c\r"},  // only the final \r\n is an ending
        {"alpha\nbeta\nthird line ignored\n", "alpha", "beta"},
        {"M\xc3\xbcnchen\n\xf0\x9f\x94\x91\n", "M\xc3\xbcnchen", "\xf0\x9f\x94\x91"},
    };
    for (const Case& c : cases) {
        // Chunk boundaries must not matter, including one between \r and \n.
        for (std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{4096}}) {
            const ReadOutcome outcome = ReadAll(c.input, chunk);
            ASSERT_TRUE(outcome.ok) << outcome.error;
            EXPECT_EQ(outcome.keyword1, c.keyword1) << "chunk " << chunk;
            EXPECT_EQ(outcome.keyword2, c.keyword2) << "chunk " << chunk;
        }
    }
}

TEST(KeywordInputTest, RefusedInput) {
    struct Case {
        std::string input, error;
    };
    const std::string required = "Both Keyword 1 and Keyword 2 are required.";
    const std::string notUtf8 = "The keywords must be UTF-8 text; this input is not.";
    const Case cases[] = {
        {"", required},
        {"alpha\n", required},
        {"alpha", required},
        {"\nbeta\n", required},
        {"alpha\n\n", required},
        {"alpha\n\r\n", required},
        {"caf\xe9\nbeta\n", notUtf8},           // Latin-1, not UTF-8
        {"alpha\n\xed\xa0\x80\n", notUtf8},     // an encoded surrogate
        {"\xc0\xaf\nbeta\n", notUtf8},          // overlong '/'
        {"\xf4\x90\x80\x80\nbeta\n", notUtf8},  // above U+10FFFF
        {"alpha\n\xe2\x82\n", notUtf8},         // cut short
        {std::string(kMaxKeywordBytes + 1, 'k') + "\nbeta\n", "Keyword 1 is longer than 1 MiB."},
    };
    for (const Case& c : cases) {
        const ReadOutcome outcome = ReadAll(c.input, 4096);
        EXPECT_FALSE(outcome.ok) << c.input.substr(0, 20);
        EXPECT_EQ(outcome.error, c.error) << c.input.substr(0, 20);
    }
}

TEST(KeywordInputTest, ReadErrorIsNotMistakenForInput) {
    const ReadOutcome outcome = ReadAll("alpha\n", 4096, /*failAtEnd=*/true);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.error, "Could not read the keywords from standard input.");
}

TEST(KeywordInputTest, LongestAcceptedKeywordWhateverTheLineEnding) {
    const std::string longest(kMaxKeywordBytes, 'k');
    for (const std::string ending : {"\n", "\r\n", ""}) {
        const ReadOutcome outcome = ReadAll("alpha\n" + longest + ending, 4096);
        ASSERT_TRUE(outcome.ok) << outcome.error;
        EXPECT_EQ(outcome.keyword2.size(), kMaxKeywordBytes);
        const ReadOutcome tooLong = ReadAll("alpha\n" + longest + "k" + ending, 4096);
        EXPECT_EQ(tooLong.error, "Keyword 2 is longer than 1 MiB.");
    }
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
