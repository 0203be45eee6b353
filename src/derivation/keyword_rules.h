// The rules every keyword meets, whichever way it came in: typed in the
// window, typed at a terminal or console, or piped. Front ends check with
// these and show these texts, so that a keyword one of them takes is never
// refused or changed by another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/secure_bytes.h"

// The longest keyword, in UTF-16 units: what Wine's edit control holds by
// default, set explicitly on the window's keyword edits (Windows' own
// default is larger) and applied to every other input path as well.
constexpr std::size_t kMaxKeywordUnits = 30000;

// Empty: a keyword is missing, which the pair's check names before any other
// fault, as kKeywordsRequiredText.
enum class KeywordFault { None, Empty, NotUtf8, HoldsNul, TooLong };

// What is wrong with a keyword pair and which keyword it concerns (1 or 2;
// 0 with KeywordFault::None).
struct KeywordVerdict {
    KeywordFault fault = KeywordFault::None;
    int keywordNumber = 0;
};

// The decision every front end renders: first both keywords present, then
// keyword 1's faults, then keyword 2's. The window passes its UTF-16 text,
// the command-line program its UTF-8 bytes.
KeywordVerdict CheckKeywordPair(const std::u16string& keyword1, const std::u16string& keyword2);
KeywordVerdict CheckKeywordPair(const Bytes& keyword1, const Bytes& keyword2);

// One keyword alone, for keyword 2 given on the command line, which is judged
// before anyone types keyword 1. The limit on UTF-8 bytes is counted in the
// UTF-16 units the same text has in the window.
KeywordFault CheckKeyword(const std::u16string& keyword);
KeywordFault CheckKeyword(const Bytes& keyword);

// One line telling the user what is wrong with keyword 1 or 2 and what to do
// instead. Empty for KeywordFault::None.
std::string KeywordFaultText(KeywordFault fault, int keywordNumber);

extern const char kKeywordsRequiredText[];

// "Keyword 1" or "Keyword 2", as every message names them.
std::string KeywordName(int keywordNumber);

// The window's notice that a paste into keyword 1 or 2 was cut at the limit.
std::string KeywordCutText(int keywordNumber);
// The window's notice that a paste into keyword 1 or 2 kept only the first of
// the pasted lines: a single-line edit drops the rest.
std::string KeywordFirstLineKeptText(int keywordNumber);
