// The rules every keyword meets, whichever way it came in: typed in the
// window, typed at a terminal or console, or piped. Front ends check with
// these and show these texts, so that a keyword one of them takes is never
// refused or changed by another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "crypto/crypto.h"

// The longest keyword, in UTF-16 units: what Wine's edit control holds by
// default, set explicitly on the window's keyword edits (Windows' own
// default is larger) and applied to every other input path as well.
constexpr std::size_t kMaxKeywordUnits = 30000;

enum class KeywordFault { None, Empty, NotUtf8, HoldsNul, TooLong };

// A keyword in the window's form (UTF-16).
KeywordFault CheckKeyword(const std::u16string& keyword);
// A keyword in the command-line program's form (UTF-8 bytes); the limit is
// counted in the UTF-16 units the same text has in the window.
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

// Decodes the code point starting at text[position] and moves past it.
// False, leaving `position` alone, for anything but well-formed UTF-8 as
// Windows' conversion can produce it: shortest forms, no encoded surrogates,
// nothing above U+10FFFF.
bool NextCodePoint(const std::uint8_t* text, std::size_t size, std::size_t& position,
                   char32_t& codePoint);

bool IsValidUtf8(const Bytes& text);
