// The keyword reader of piped and typed input: lines with only their line
// ending removed, refused input (not UTF-8, NUL, too long, control
// characters in a typed line), read errors, lines beyond the keywords, and
// keyword 2 from an argument, served in chunks of every size.
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

ReadOutcome ReadAll(const std::string& data, std::size_t chunk, bool failAtEnd = false,
                    PipedKeywords piped = PipedKeywords::Both) {
    ScriptedInput input{data, chunk, 0, failAtEnd};
    LineReader reader;
    reader.source = ReadScripted;
    reader.context = &input;
    KeywordPair keywords;
    if (piped == PipedKeywords::Keyword1Only) keywords.keyword2 = {'s', 'i', 't', 'e'};
    ReadOutcome outcome;
    outcome.ok = ReadKeywordsFromLines(reader, piped, keywords, outcome.error);
    // Accepted keywords come from the whole input, read to its end.
    if (outcome.ok) {
        EXPECT_EQ(input.position, input.data.size());
    }
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
        // Empty lines after the keywords, as an editor may leave them.
        {"alpha\nbeta\n\n", "alpha", "beta"},
        {"alpha\r\nbeta\r\n\r\n\n\r\n", "alpha", "beta"},
        {"alpha\nbeta\n\n\n\n\n\n", "alpha", "beta"},
        {"M\xc3\xbcnchen\n\xf0\x9f\x94\x91\n", "M\xc3\xbcnchen", "\xf0\x9f\x94\x91"},
        // One byte-order mark at the very start is an encoding marker, as
        // Notepad writes it; anywhere else U+FEFF is a character.
        {"\xef\xbb\xbf" "alpha\r\nbeta\r\n", "alpha", "beta"},
        {"\xef\xbb\xbf\xef\xbb\xbf" "alpha\nbeta\n", "\xef\xbb\xbf" "alpha", "beta"},
        {"alpha\n\xef\xbb\xbf" "beta\n", "alpha", "\xef\xbb\xbf" "beta"},
        {"al\xef\xbb\xbfpha\nbeta\n", "al\xef\xbb\xbfpha", "beta"},
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
    const std::string notUtf8 = "Keyword 1 is not UTF-8 text; save or convert the input as UTF-8.";
    const std::string notUtf8Second =
        "Keyword 2 is not UTF-8 text; save or convert the input as UTF-8.";
    const std::string nul = std::string(1, '\0');
    const Case cases[] = {
        {"", required},
        {"alpha\n", required},
        {"alpha", required},
        {"\nbeta\n", required},
        {"alpha\n\n", required},
        {"alpha\n\r\n", required},
        {"\xef\xbb\xbf\nbeta\n", required},  // the mark alone is no keyword
        {"caf\xe9\nbeta\n", notUtf8},                 // Latin-1, not UTF-8
        {"alpha\n\xed\xa0\x80\n", notUtf8Second},     // an encoded surrogate
        {"\xc0\xaf\nbeta\n", notUtf8},                // overlong '/'
        {"\xf4\x90\x80\x80\nbeta\n", notUtf8},        // above U+10FFFF
        {"alpha\n\xe2\x82\n", notUtf8Second},         // cut short
        {"\xef\xbb\nbeta\n", notUtf8},                // half a byte-order mark
        // A zero would run into the separator of the two keywords.
        {"a" + nul + "b\nc\n", "Keyword 1 holds a NUL character (U+0000); remove it."},
        {"a\nb" + nul + "c\n", "Keyword 2 holds a NUL character (U+0000); remove it."},
        {std::string(kMaxKeywordBytes + 2, 'k') + "\nbeta\n",
         "Keyword 1 is longer than 30000 characters (UTF-16 units); use a shorter keyword."},
    };
    for (const Case& c : cases) {
        const ReadOutcome outcome = ReadAll(c.input, 4096);
        EXPECT_FALSE(outcome.ok) << c.input.substr(0, 20);
        EXPECT_EQ(outcome.error, c.error) << c.input.substr(0, 20);
    }
}

TEST(KeywordInputTest, ReadErrorIsNotMistakenForInput) {
    // Also after both keywords: the input did not end as it should.
    for (const std::string input : {"alpha\n", "alpha\nbeta\n", "alpha\nbeta\n\n"}) {
        const ReadOutcome outcome = ReadAll(input, 4096, /*failAtEnd=*/true);
        EXPECT_FALSE(outcome.ok) << input;
        EXPECT_EQ(outcome.error, "Could not read the keywords from standard input.") << input;
    }
}

TEST(KeywordInputTest, LinesBeyondTheKeywordsAreRefused) {
    const std::string both =
        "the input has more lines than keywords; give keyword 1 on the first line, keyword 2 on "
        "the second and nothing after them.";
    const std::string alone =
        "the input has more lines than keywords; keyword 2 was given as an argument, so give "
        "keyword 1 alone, on the first line.";
    struct Case {
        std::string input;
        PipedKeywords piped;
        std::string error;
    };
    const Case cases[] = {
        {"alpha\nbeta\nthird\n", PipedKeywords::Both, both},
        {"alpha\nbeta\nthird", PipedKeywords::Both, both},
        {"alpha\nbeta\n\n\nthird\n", PipedKeywords::Both, both},  // after empty lines too
        {"alpha\nbeta\n \n", PipedKeywords::Both, both},              // a space is no empty line
        {"alpha\nbeta\n\r", PipedKeywords::Both, both},               // nor a lone \r
        {"alpha\nbeta\n" + std::string(kMaxKeywordBytes + 10, 'x') + "\n", PipedKeywords::Both,
         both},
        // Even where keyword 2 is missing: the lines are not what was meant.
        {"alpha\n\nbeta\n", PipedKeywords::Both, both},
        {"alpha\nbeta\n", PipedKeywords::Keyword1Only, alone},
        {"alpha\r\n\r\nbeta\r\n", PipedKeywords::Keyword1Only, alone},
    };
    for (const Case& c : cases) {
        for (std::size_t chunk : {std::size_t{1}, std::size_t{4096}}) {
            const ReadOutcome outcome = ReadAll(c.input, chunk, false, c.piped);
            EXPECT_FALSE(outcome.ok) << c.input.substr(0, 20);
            EXPECT_EQ(outcome.error, c.error) << c.input.substr(0, 20);
        }
    }
}

TEST(KeywordInputTest, KeywordOneAloneWhenKeywordTwoIsAnArgument) {
    struct Case {
        std::string input, keyword1;
    };
    const Case cases[] = {
        {"alpha\n", "alpha"},
        {"alpha", "alpha"},
        {"alpha\r\n\r\n\n", "alpha"},
        {"\xef\xbb\xbf" "alpha\n", "alpha"},
    };
    for (const Case& c : cases) {
        const ReadOutcome outcome = ReadAll(c.input, 2, false, PipedKeywords::Keyword1Only);
        ASSERT_TRUE(outcome.ok) << outcome.error;
        EXPECT_EQ(outcome.keyword1, c.keyword1);
        EXPECT_EQ(outcome.keyword2, "site");
    }
    const ReadOutcome missing = ReadAll("\n", 4096, false, PipedKeywords::Keyword1Only);
    EXPECT_EQ(missing.error, "Both Keyword 1 and Keyword 2 are required.");
}

// Keyword 2 from the command line is judged with the piped keyword 1, in the
// pair's order: a missing keyword first, then keyword 1's faults.
TEST(KeywordInputTest, KeywordTwoFromAnArgumentIsJudgedAfterKeywordOne) {
    const std::string nul = std::string(1, '\0');
    struct Case {
        std::string input, keyword2, error;
    };
    const Case cases[] = {
        {"\n", "caf\xe9", "Both Keyword 1 and Keyword 2 are required."},
        {"a" + nul + "b\n", "caf\xe9", "Keyword 1 holds a NUL character (U+0000); remove it."},
        {"caf\xe9\n", "b" + nul, "Keyword 1 is not UTF-8 text; save or convert the input as UTF-8."},
        {"alpha\n", "caf\xe9", "Keyword 2 is not UTF-8 text; save or convert the input as UTF-8."},
        {"alpha\n", "", "Both Keyword 1 and Keyword 2 are required."},
    };
    for (const Case& c : cases) {
        ScriptedInput input{c.input, 4096, 0, false};
        LineReader reader;
        reader.source = ReadScripted;
        reader.context = &input;
        KeywordPair keywords;
        keywords.keyword2.assign(c.keyword2.begin(), c.keyword2.end());
        std::string error;
        EXPECT_FALSE(ReadKeywordsFromLines(reader, PipedKeywords::Keyword1Only, keywords, error))
            << c.input;
        EXPECT_EQ(error, c.error) << c.input;
    }
}

TEST(KeywordInputTest, ControlCharactersInATypedLine) {
    struct Case {
        std::string typed;
        bool holds;
    };
    const Case cases[] = {
        {"abc\x1b[DX", true},  // left arrow
        {"abc\x1b[3~", true},  // Delete
        {"\x1bOH", true},      // Home in application mode
        {"a\tb", true},
        {"a\x7f", true},       // DEL
        {"a\x1a" "b", true},   // Ctrl+Z in mid-line, as a Windows console hands it over
        {"\x01", true},
        {"\x1f", true},
        {"correct horse battery staple", false},
        {"~!@#$%^&*()_+{}|:\"<>?", false},
        {"M\xc3\xbcnchen \xf0\x9f\x94\x91", false},
        {"\xc2\x80\xc2\x9f", false},  // C1 controls are left to the keyword rules
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HoldsControlCharacter(Bytes(c.typed.begin(), c.typed.end())), c.holds)
            << c.typed;
    }
}

TEST(KeywordInputTest, LongestAcceptedKeywordWhateverTheLineEndingOrMark) {
    // The limit counts UTF-16 units, as the window's edit does: 30000
    // letters, or 15000 four-byte characters, each a surrogate pair there.
    const std::string mark = "\xef\xbb\xbf";
    std::string keys;
    for (int i = 0; i < 15000; ++i) keys += "\xf0\x9f\x94\x91";
    const std::string letters(30000, 'k');
    const std::string tooLong =
        "Keyword 2 is longer than 30000 characters (UTF-16 units); use a shorter keyword.";
    for (const std::string ending : {"\n", "\r\n", ""}) {
        for (const std::string& longest : {letters, keys}) {
            const ReadOutcome outcome = ReadAll(mark + "alpha\n" + longest + ending, 4096);
            ASSERT_TRUE(outcome.ok) << outcome.error;
            EXPECT_EQ(outcome.keyword2, longest);
            EXPECT_EQ(ReadAll("alpha\n" + longest + "k" + ending, 4096).error, tooLong);
        }
    }
    // The mark does not count towards keyword 1's length.
    const ReadOutcome marked = ReadAll(mark + letters + "\nbeta\n", 4096);
    ASSERT_TRUE(marked.ok) << marked.error;
    EXPECT_EQ(marked.keyword1, letters);
}

}  // namespace
