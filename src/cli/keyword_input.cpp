#include "cli/keyword_input.h"

#include <algorithm>

const char kKeywordsRequiredText[] = "Both Keyword 1 and Keyword 2 are required.";

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

bool IsValidUtf8(const Bytes& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const std::uint8_t lead = text[i];
        std::size_t extra;
        char32_t cp, minimum;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, cp = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, cp = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, cp = lead & 0x07, minimum = 0x10000;
        } else {
            return false;
        }
        if (text.size() - i <= extra) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((text[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (text[i + k] & 0x3F);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

bool CheckKeywords(const KeywordPair& keywords, std::string& error) {
    if (keywords.keyword1.empty() || keywords.keyword2.empty()) {
        error = kKeywordsRequiredText;
        return false;
    }
    if (!IsValidUtf8(keywords.keyword1) || !IsValidUtf8(keywords.keyword2)) {
        error = "The keywords must be UTF-8 text; this input is not.";
        return false;
    }
    return true;
}

bool ReadKeywordsFromLines(LineReader& reader, KeywordPair& keywords, std::string& error) {
    Bytes* targets[] = {&keywords.keyword1, &keywords.keyword2};
    for (int k = 0; k < 2; ++k) {
        switch (ReadKeywordLine(reader, *targets[k])) {
            case LineStatus::Ok:
            case LineStatus::EndOfInput:  // a missing line is an empty keyword
                break;
            case LineStatus::TooLong:
                error = "Keyword " + std::to_string(k + 1) + " is longer than 1 MiB.";
                return false;
            case LineStatus::ReadError:
                error = "Could not read the keywords from standard input.";
                return false;
        }
    }
    return CheckKeywords(keywords, error);
}
