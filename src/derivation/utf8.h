// The UTF-8 bytes a keyword becomes, which make the password: one
// implementation of ToUtf8 per platform, giving the same bytes on each; and
// the decoder and UTF-16 helpers every platform shares (utf8_decode.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/secure_bytes.h"

// UTF-16 to UTF-8 exactly as Windows' WideCharToMultiByte(CP_UTF8, 0) does it:
// an unpaired surrogate becomes U+FFFD (EF BF BD).
Bytes ToUtf8(const std::u16string& text);

// Decodes the code point starting at text[position] and moves past it.
// False, leaving `position` alone, for anything but well-formed UTF-8 as
// Windows' conversion can produce it: shortest forms, no encoded surrogates,
// nothing above U+10FFFF.
bool NextCodePoint(const std::uint8_t* text, std::size_t size, std::size_t& position,
                   char32_t& codePoint);

// UTF-16's surrogates: a high one (D800-DBFF) directly followed by a low one
// (DC00-DFFF) is one code point above U+FFFF; either alone is no character.
constexpr bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
constexpr bool IsSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }
constexpr char32_t CombineSurrogates(char32_t high, char32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// Appends a code point as UTF-16: one unit, or a pair above U+FFFF.
void AppendUtf16(std::u16string& out, char32_t codePoint);
