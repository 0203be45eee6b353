#include "cli/keyword_input.h"

#include <algorithm>

namespace {

// Appends without ever letting the vector reallocate behind our back: a
// reallocation would leave an unwiped copy of the keyword in freed memory.
void AppendWiping(Bytes& line, const std::uint8_t* data, std::size_t count) {
    if (line.size() + count > line.capacity()) {
        Bytes larger;
        larger.reserve(std::max(line.capacity() * 2, line.size() + count));
        larger.insert(larger.end(), line.begin(), line.end());
        SecureWipeContents(line);
        line.swap(larger);
    }
    line.insert(line.end(), data, data + count);
}

}  // namespace

LineStatus ReadKeywordLine(LineReader& reader, Bytes& line) {
    SecureWipeContents(line);
    line.clear();
    bool readAnything = false;
    for (;;) {
        if (reader.position == reader.end) {
            if (reader.atEnd) {
                if (!readAnything) return LineStatus::EndOfInput;
                return line.size() > kMaxKeywordBytes ? LineStatus::TooLong : LineStatus::Ok;
            }
            const long count = reader.source(reader.context, reader.buffer, sizeof reader.buffer);
            if (count < 0) {
                reader.atEnd = true;
                return LineStatus::ReadError;
            }
            if (count == 0) {
                reader.atEnd = true;
                continue;
            }
            reader.position = 0;
            reader.end = static_cast<std::size_t>(count);
        }
        readAnything = true;
        const std::uint8_t* begin = reader.buffer + reader.position;
        const std::uint8_t* stop = reader.buffer + reader.end;
        const std::uint8_t* newline = begin;
        while (newline != stop && *newline != '\n') ++newline;
        const std::size_t count = static_cast<std::size_t>(newline - begin);
        // One byte of slack for the '\r' of a "\r\n" ending, which is not
        // part of the keyword; the limit is checked again once it is gone.
        if (line.size() + count > kMaxKeywordBytes + 1) return LineStatus::TooLong;
        AppendWiping(line, begin, count);
        reader.position += count;
        if (newline != stop) {
            ++reader.position;  // the '\n' itself
            if (!line.empty() && line.back() == '\r') {
                line.back() = 0;
                line.pop_back();
            }
            return line.size() > kMaxKeywordBytes ? LineStatus::TooLong : LineStatus::Ok;
        }
    }
}

namespace {

// Windows Notepad and other editors start UTF-8 files with a byte-order
// mark. It says how the text is encoded and is not part of keyword 1; the
// window could never receive it as typed text.
void RemoveByteOrderMark(Bytes& keyword) {
    static const std::uint8_t kMark[] = {0xEF, 0xBB, 0xBF};
    if (keyword.size() < 3 || !std::equal(kMark, kMark + 3, keyword.begin())) return;
    std::copy(keyword.begin() + 3, keyword.end(), keyword.begin());
    SecureWipe(keyword.data() + keyword.size() - 3, 3);
    keyword.resize(keyword.size() - 3);
}

}  // namespace

bool CheckKeywords(const KeywordPair& keywords, std::string& error) {
    if (keywords.keyword1.empty() || keywords.keyword2.empty()) {
        error = kKeywordsRequiredText;
        return false;
    }
    const Bytes* checked[] = {&keywords.keyword1, &keywords.keyword2};
    for (int k = 0; k < 2; ++k) {
        const KeywordFault fault = CheckKeyword(*checked[k]);
        if (fault != KeywordFault::None) {
            error = KeywordFaultText(fault, k + 1);
            return false;
        }
    }
    return true;
}

std::string LineStatusText(LineStatus status, int keywordNumber, bool fromTerminal) {
    switch (status) {
        case LineStatus::Ok:
        case LineStatus::EndOfInput:
            return {};
        case LineStatus::TooLong:
            return KeywordFaultText(KeywordFault::TooLong, keywordNumber);
        case LineStatus::TerminalLimit:
            return KeywordName(keywordNumber) + " filled the terminal's line limit, which may have cut it; " +
                   "pipe the keywords to standard input instead.";
        case LineStatus::ReadError:
            return fromTerminal ? "Could not read the keywords from the terminal."
                                : "Could not read the keywords from standard input.";
    }
    return {};
}

namespace {

std::string MoreLinesText(PipedKeywords piped) {
    return std::string("the input has more lines than keywords; ") +
           (piped == PipedKeywords::Both
                ? "give keyword 1 on the first line, keyword 2 on the second and nothing after "
                  "them."
                : "keyword 2 was given as an argument, so give keyword 1 alone, on the first "
                  "line.");
}

// Whatever follows the keywords must be empty lines (an editor's final blank
// line, say): a line more would mean the keywords were not the lines the user
// meant. Read to the end, so that nothing is derived from a partial input.
bool ReadOnlyEmptyLinesLeft(LineReader& reader, PipedKeywords piped, std::string& error) {
    WipedLine rest;
    for (;;) {
        const LineStatus status = ReadKeywordLine(reader, rest.bytes);
        if (status == LineStatus::EndOfInput) return true;
        if (status == LineStatus::ReadError) {
            error = LineStatusText(status, 0, false);
            return false;
        }
        if (status != LineStatus::Ok || !rest.bytes.empty()) {
            error = MoreLinesText(piped);
            return false;
        }
    }
}

}  // namespace

bool ReadKeywordsFromLines(LineReader& reader, PipedKeywords piped, KeywordPair& keywords,
                           std::string& error) {
    Bytes* targets[] = {&keywords.keyword1, &keywords.keyword2};
    const int count = piped == PipedKeywords::Both ? 2 : 1;
    for (int k = 0; k < count; ++k) {
        const LineStatus status = ReadKeywordLine(reader, *targets[k]);
        // A missing line is an empty keyword.
        if (status != LineStatus::Ok && status != LineStatus::EndOfInput) {
            error = LineStatusText(status, k + 1, false);
            return false;
        }
    }
    if (!ReadOnlyEmptyLinesLeft(reader, piped, error)) return false;
    RemoveByteOrderMark(keywords.keyword1);
    return CheckKeywords(keywords, error);
}

bool HoldsControlCharacter(const Bytes& typed) {
    // In UTF-8 these code points are single bytes that no other character's
    // encoding contains.
    return std::any_of(typed.begin(), typed.end(),
                       [](std::uint8_t b) { return b < 0x20 || b == 0x7F; });
}
