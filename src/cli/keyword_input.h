// Reading the two keywords from standard input when it is not a terminal:
// keyword 1 is the first line, keyword 2 the second, as UTF-8. Only the line
// ending ("\n" or "\r\n") is removed; every other byte is kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "crypto/crypto.h"

// Longest keyword accepted, in bytes; beyond it the input is refused rather
// than held in memory without bound.
constexpr std::size_t kMaxKeywordBytes = 1 << 20;

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

enum class LineStatus { Ok, EndOfInput, TooLong, ReadError };

// Reads one line without its ending into `line` (whose old content is wiped).
// EndOfInput only when nothing at all was left; a last line without an
// ending is a line.
LineStatus ReadKeywordLine(LineReader& reader, Bytes& line);

// Well-formed UTF-8 as the Windows program can produce it: shortest forms,
// no encoded surrogates, nothing above U+10FFFF.
bool IsValidUtf8(const Bytes& text);

struct KeywordPair {
    Bytes keyword1;
    Bytes keyword2;
    ~KeywordPair() {
        SecureWipeContents(keyword1);
        SecureWipeContents(keyword2);
    }
};

// Reads and checks both keywords. On failure returns false with a one-line
// message for standard error.
bool ReadKeywordsFromLines(LineReader& reader, KeywordPair& keywords, std::string& error);

// Checks keywords however they were read: both present, valid UTF-8.
bool CheckKeywords(const KeywordPair& keywords, std::string& error);

extern const char kKeywordsRequiredText[];
