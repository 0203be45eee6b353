// The command-line program's keyword buffers are overwritten with zeros
// before they are released: the reader's buffer (LineReader), each line as it
// grows (ReadKeywordLine), a line after the keywords, both keywords
// (KeywordPair), and every typed entry at the prompts, on success and on
// every refusal. The reader and the pair are put on the heap here so that
// their own release is scanned too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/keyword_input.h"
#include "cli/keyword_prompts.h"
#include "secrets/freed_memory_scanner.h"

namespace {

struct PipedInput {
    const Bytes* data = nullptr;
    std::size_t position = 0;
    std::size_t chunk = 0;  // 0: as much as the reader asks for
    bool failAtEnd = false;
};

long ReadPiped(void* context, std::uint8_t* buffer, std::size_t size) {
    auto& input = *static_cast<PipedInput*>(context);
    const std::size_t left = input.data->size() - input.position;
    if (left == 0) return input.failAtEnd ? -1 : 0;
    std::size_t count = std::min(size, left);
    if (input.chunk != 0) count = std::min(count, input.chunk);
    std::memcpy(buffer, input.data->data() + input.position, count);
    input.position += count;
    return static_cast<long>(count);
}

// Printable ASCII that no other buffer holds, `size` bytes of it.
Bytes MakeKeyword(std::size_t size, std::uint32_t seed) {
    Bytes keyword(size);
    for (std::uint8_t& b : keyword) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(33 + (seed >> 24) % 94);
    }
    return keyword;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes Text(const char* text) { return Bytes(text, text + std::strlen(text)); }

TEST(CliSecretsInMemoryTest, KeywordBuffersAreWipedBeforeRelease) {
    const Bytes short1 = MakeKeyword(40, 1), short2 = MakeKeyword(27, 2);
    const Bytes long1 = MakeKeyword(10000, 3), long2 = MakeKeyword(6000, 4);
    const Bytes tooLong = MakeKeyword(kMaxKeywordBytes + 100, 5);
    const Bytes overLimit = MakeKeyword(kMaxKeywordUnits + 1, 6);
    struct Case {
        const char* name;
        Bytes keyword1, keyword2;  // what the input holds
        Bytes input;
        std::size_t chunk;
        bool failAtEnd;
        bool accepted;
    };
    const Case cases[] = {
        {"two lines", short1, short2, Join({short1, Text("\n"), short2, Text("\n")}), 0, false,
         true},
        {"CRLF lines in 3-byte reads", short1, short2,
         Join({short1, Text("\r\n"), short2, Text("\r\n")}), 3, false, true},
        // Lines longer than the reader's buffer, which grow and refill.
        {"long lines in 1000-byte reads", long1, long2,
         Join({long1, Text("\n"), long2, Text("\n")}), 1000, false, true},
        {"long lines in whole reads", long1, long2, Join({long1, Text("\n"), long2}), 0, false,
         true},
        {"refused: not UTF-8", short1, short2,
         Join({short1, Text("\xff\n"), short2, Text("\n")}), 0, false, false},
        {"refused: read error in keyword 2", short1, short2,
         Join({short1, Text("\n"), short2}), 5, true, false},
        // The byte-order mark is removed by moving the keyword in place.
        {"byte-order mark removed", short1, short2,
         Join({Text("\xef\xbb\xbf"), short1, Text("\n"), short2, Text("\n")}), 7, false, true},
        {"refused: keyword 1 longer than the reader holds", tooLong, short2,
         Join({tooLong, Text("\n"), short2, Text("\n")}), 0, false, false},
        {"refused: keyword 1 read whole, but over the limit", overLimit, short2,
         Join({overLimit, Text("\n"), short2, Text("\n")}), 0, false, false},
        // Watched as "keyword 2": the line that follows the keywords.
        {"refused: a line after the keywords", short1, long2,
         Join({short1, Text("\n"), short2, Text("\n\n"), long2, Text("\n")}), 100, false,
         false},
    };
    for (const Case& c : cases) {
        // Any leaked run of 47 bytes or more holds one of these windows.
        const std::size_t stride = c.keyword1.size() > 100000 ? 1024 : 16;
        WatchForWindows("keyword 1", c.keyword1, 0, stride);
        WatchForWindows("keyword 2", c.keyword2, 0, 16);
        PipedInput piped{&c.input, 0, c.chunk, c.failAtEnd};
        auto reader = std::make_unique<LineReader>();
        reader->source = ReadPiped;
        reader->context = &piped;
        auto keywords = std::make_unique<KeywordPair>();
        std::string error;
        error.reserve(200);  // so that the message never moves the scan's results

        StartScanning();
        const bool accepted = ReadKeywordsFromLines(*reader, PipedKeywords::Both, *keywords, error);
        const bool asPiped = keywords->keyword1 == c.keyword1 && keywords->keyword2 == c.keyword2;
        keywords.reset();
        reader.reset();
        StopScanning();

        EXPECT_EQ(accepted, c.accepted) << c.name << ": " << error;
        if (c.accepted) {
            EXPECT_TRUE(asPiped) << c.name;
        }
        EXPECT_GT(BlocksScanned(), 0u) << c.name;
        const std::vector<FreedSecret> found = FreedSecretsFound();
        EXPECT_TRUE(found.empty()) << c.name << ": released without wiping: " << Describe(found);
        ForgetWatchedSecrets();
    }
}

// Typed entries, one a prompt, as the console hands them over.
struct TypedEntries {
    std::vector<const Bytes*> lines;
    std::size_t next = 0;
};

LineStatus ReadTypedEntry(void* context, const char*, Bytes& line) {
    auto& typed = *static_cast<TypedEntries*>(context);
    SecureWipeContents(line);
    line.clear();
    if (typed.next == typed.lines.size()) return LineStatus::EndOfInput;
    line = *typed.lines[typed.next++];
    return LineStatus::Ok;
}

void IgnoreNotice(void*, const std::string&) {}

TEST(CliSecretsInMemoryTest, TypedEntriesAreWipedBeforeRelease) {
    const Bytes keyword1 = MakeKeyword(60, 7), keyword2 = MakeKeyword(50, 8);
    const Bytes mistyped = MakeKeyword(55, 9);
    const Bytes withArrow = Join({MakeKeyword(40, 10), Text("\x1b[D"), MakeKeyword(20, 11)});
    struct Case {
        const char* name;
        bool confirm;
        std::vector<const Bytes*> typed;
        const Bytes* watched;  // besides the two keywords
        bool accepted;
    };
    const Case cases[] = {
        {"confirmed", true, {&keyword1, &keyword1, &keyword2}, nullptr, true},
        {"refused: the entries differ", true, {&keyword1, &mistyped}, &mistyped, false},
        {"an arrow key, typed again", false, {&withArrow, &keyword1, &keyword2}, &withArrow,
         true},
        {"refused: three arrow keys", false, {&withArrow, &withArrow, &withArrow}, &withArrow,
         false},
    };
    for (const Case& c : cases) {
        WatchForWindows("keyword 1", keyword1, 0, 8);
        WatchForWindows("keyword 2", keyword2, 0, 8);
        if (c.watched != nullptr) WatchForWindows("the other entry", *c.watched, 0, 8);
        TypedEntries typed{c.typed, 0};
        KeywordPrompter prompter;
        prompter.readLine = ReadTypedEntry;
        prompter.tell = IgnoreNotice;
        prompter.context = &typed;
        PromptChoices choices;
        choices.confirm = c.confirm;
        auto keywords = std::make_unique<KeywordPair>();
        std::string error;
        error.reserve(300);

        StartScanning();
        const bool accepted = AskForKeywords(prompter, choices, *keywords, error);
        keywords.reset();
        StopScanning();

        EXPECT_EQ(accepted, c.accepted) << c.name << ": " << error;
        EXPECT_GT(BlocksScanned(), 0u) << c.name;
        const std::vector<FreedSecret> found = FreedSecretsFound();
        EXPECT_TRUE(found.empty()) << c.name << ": released without wiping: " << Describe(found);
        ForgetWatchedSecrets();
    }
}

}  // namespace
