// Reading the keywords from standard input when it is not a terminal:
// keyword 1 is the first line, keyword 2 the second (unless it came as an
// argument), as UTF-8. Only the line ending ("\n" or "\r\n") is removed, and
// one byte-order mark at the very start of the input; every other byte is
// kept. Empty lines may follow the keywords, nothing else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/line_status.h"
#include "base/secure_bytes.h"
#include "derivation/keyword_rules.h"

// Longest line the reader holds, in bytes: enough for a keyword of
// kMaxKeywordUnits characters in any script (at most three bytes per UTF-16
// unit) and a byte-order mark, so that the keyword rules, not the reader,
// decide. A longer line is refused rather than held without bound.
constexpr std::size_t kMaxKeywordBytes = 4 * kMaxKeywordUnits;

// Where the bytes come from: returns the count read, 0 at the end, -1 on error.
using ByteSource = long (*)(void* context, std::uint8_t* buffer, std::size_t size);

// Buffered line reading over a ByteSource. The buffer holds keyword bytes,
// so it is wiped when the reader is done.
struct LineReader {
    ByteSource source = nullptr;
    void* context = nullptr;
    std::uint8_t buffer[4096] = {};
    std::size_t position = 0;
    std::size_t end = 0;
    bool atEnd = false;
    ~LineReader() { SecureWipe(buffer, sizeof buffer); }
};

// Reads one line without its ending into `line` (whose old content is wiped).
// EndOfInput only when nothing at all was left; a last line without an
// ending is a line.
LineStatus ReadKeywordLine(LineReader& reader, Bytes& line);

struct KeywordPair {
    Bytes keyword1;
    Bytes keyword2;
    ~KeywordPair() {
        SecureWipeContents(keyword1);
        SecureWipeContents(keyword2);
    }
};

// One line of keyword bytes that is wiped however its scope ends.
struct WipedLine {
    Bytes bytes;
    ~WipedLine() { SecureWipeContents(bytes); }
};

// Which keywords the piped input holds: both, or keyword 1 alone when
// keyword 2 was given as an argument (and is already in the pair).
enum class PipedKeywords { Both, Keyword1Only };

// Reads the keywords and the rest of the input, then checks both keywords.
// On failure returns false with a one-line message for standard error.
bool ReadKeywordsFromLines(LineReader& reader, PipedKeywords piped, KeywordPair& keywords,
                           std::string& error);

// Checks keywords however they were read, with the pair's check the window
// uses too, and gives its message.
bool CheckKeywords(const KeywordPair& keywords, std::string& error);

// The message for a keyword that could not be read; empty for Ok and for
// EndOfInput, which is no fault of the keyword.
std::string LineStatusText(LineStatus status, int keywordNumber, bool fromTerminal);

// A typed line holding a C0 control character, DEL or U+001A. A terminal in
// line mode hands over the escape sequences of the arrow, Home and Delete
// keys as typed text, where the window and the Windows console would have
// moved the caret; such a line is typed again rather than derived from.
bool HoldsControlCharacter(const Bytes& typed);
