// The command-line program's keyword reader over arbitrary piped input, read
// in chunks of a size the fuzzer picks and ending either cleanly or with a
// read error. The outcome must match what the input's lines say, whatever
// the chunking: keyword 1 is the first line, keyword 2 the second (unless it
// came as an argument), only "\n" or "\r\n" removed and one byte-order mark
// at the very start; only empty lines may follow; both must be present, valid
// UTF-8, free of U+0000 and at most 30000 UTF-16 units long.
//
// Input layout: byte 0 picks the chunk size (0 means whole reads), bit 0 of
// byte 1 makes the source fail at the end instead of reporting it, bit 1
// gives keyword 2 as an argument; the rest is the piped input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "cli/keyword_input.h"
#include "fuzz_support.h"
#include "support/utf8_oracle.h"

namespace {

struct PipedInput {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t position = 0;
    std::size_t chunk = 0;
    bool failAtEnd = false;
    bool endSeen = false;
};

long ReadPiped(void* context, std::uint8_t* buffer, std::size_t size) {
    auto& input = *static_cast<PipedInput*>(context);
    // Reading again after the end would wait for a second end of input on a
    // terminal.
    FUZZ_CHECK(!input.endSeen);
    if (input.position == input.size) {
        input.endSeen = true;
        return input.failAtEnd ? -1 : 0;
    }
    std::size_t count = std::min(size, input.size - input.position);
    if (input.chunk != 0) count = std::min(count, input.chunk);
    std::memcpy(buffer, input.data + input.position, count);
    input.position += count;
    return static_cast<long>(count);
}

enum class Expected { Line, Missing, ReadError };

// What reading one line from `position` must give, judged on the whole input.
Expected ExpectLine(const PipedInput& input, std::size_t& position, Bytes& line) {
    line.clear();
    const std::uint8_t* begin = input.data + position;
    const std::uint8_t* end = input.data + input.size;
    const std::uint8_t* newline = std::find(begin, end, '\n');
    if (newline == end) {
        // No line ending: the reader must ask the source for more.
        if (input.failAtEnd) return Expected::ReadError;
        if (begin == end) return Expected::Missing;
        line.assign(begin, end);
        position = input.size;
        return Expected::Line;
    }
    line.assign(begin, newline);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    position = static_cast<std::size_t>(newline - input.data) + 1;
    return Expected::Line;
}

bool IsUtf8(const Bytes& text) {
    std::vector<char32_t> ignored;
    return DecodeUtf8Strictly(text.data(), text.size(), ignored);
}

// Within the rules beyond UTF-8: no U+0000, and no more UTF-16 units than
// the window's keyword edits hold.
bool KeepsKeywordRules(const Bytes& keyword) {
    std::vector<char32_t> codePoints;
    DecodeUtf8Strictly(keyword.data(), keyword.size(), codePoints);
    std::size_t units = 0;
    for (char32_t cp : codePoints) {
        if (cp == 0) return false;
        units += cp > 0xFFFF ? 2 : 1;
    }
    return units <= 30000;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || size - 2 > kMaxKeywordBytes) return 0;
    PipedInput input;
    input.chunk = data[0];
    input.failAtEnd = (data[1] & 1) != 0;
    const PipedKeywords piped = (data[1] & 2) != 0 ? PipedKeywords::Keyword1Only : PipedKeywords::Both;
    input.data = data + 2;
    input.size = size - 2;

    // The product's UTF-8 check and the independent decoder agree on any bytes.
    const Bytes whole(input.data, input.data + input.size);
    FUZZ_CHECK(IsValidUtf8(whole) == IsUtf8(whole));

    bool expectedOk = true;
    std::string expectedError;
    const char readError[] = "Could not read the keywords from standard input.";
    Bytes expectedKeywords[2];
    if (piped == PipedKeywords::Keyword1Only) expectedKeywords[1] = {'s', 'i', 't', 'e'};
    std::size_t position = 0;
    for (int k = 0; k < (piped == PipedKeywords::Both ? 2 : 1); ++k) {
        if (ExpectLine(input, position, expectedKeywords[k]) == Expected::ReadError) {
            expectedOk = false;
            expectedError = readError;
            break;
        }
    }
    bool expectMoreLines = false;
    for (Bytes rest; expectedOk;) {
        const Expected line = ExpectLine(input, position, rest);
        if (line == Expected::Missing) break;
        if (line == Expected::ReadError) {
            expectedOk = false;
            expectedError = readError;
        } else if (!rest.empty()) {
            expectedOk = false;
            expectMoreLines = true;
        }
    }
    const Bytes mark = {0xEF, 0xBB, 0xBF};
    if (expectedOk && expectedKeywords[0].size() >= 3 &&
        std::equal(mark.begin(), mark.end(), expectedKeywords[0].begin())) {
        expectedKeywords[0].erase(expectedKeywords[0].begin(), expectedKeywords[0].begin() + 3);
    }
    if (expectedOk && (expectedKeywords[0].empty() || expectedKeywords[1].empty())) {
        expectedOk = false;
        expectedError = kKeywordsRequiredText;
    }
    for (const Bytes& keyword : expectedKeywords) {
        if (expectedOk && (!IsUtf8(keyword) || !KeepsKeywordRules(keyword))) expectedOk = false;
    }

    LineReader reader;
    reader.source = ReadPiped;
    reader.context = &input;
    KeywordPair keywords;
    if (piped == PipedKeywords::Keyword1Only) keywords.keyword2 = expectedKeywords[1];
    std::string error;
    const bool ok = ReadKeywordsFromLines(reader, piped, keywords, error);

    FUZZ_CHECK(ok == expectedOk);
    if (ok) {
        FUZZ_CHECK(error.empty());
        FUZZ_CHECK(keywords.keyword1 == expectedKeywords[0]);
        FUZZ_CHECK(keywords.keyword2 == expectedKeywords[1]);
    } else {
        FUZZ_CHECK(!error.empty() && error.find('\n') == std::string::npos);
        if (!expectedError.empty()) FUZZ_CHECK(error == expectedError);
        FUZZ_CHECK(expectMoreLines ==
                   (error.rfind("the input has more lines than keywords; ", 0) == 0));
    }
    return 0;
}
