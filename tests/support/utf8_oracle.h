// Decoders and an encoder written apart from the product's code, to judge its
// output and to make test input. The strict UTF-8 decoder follows the table
// of well-formed byte sequences in the Unicode standard (section 3.9, table
// 3-7) byte by byte, rather than decoding first and checking the code point
// afterwards as the product does. The UTF-16 decoder reads the units as
// Windows' WideCharToMultiByte(CP_UTF8, 0) does, keeping a pending high
// surrogate instead of looking ahead as the product does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Decodes `size` bytes into code points; false at the first ill-formed
// sequence (overlong forms, encoded surrogates, beyond U+10FFFF, truncated or
// stray continuation bytes).
inline bool DecodeUtf8Strictly(const std::uint8_t* data, std::size_t size,
                               std::vector<char32_t>& codePoints) {
    codePoints.clear();
    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t b0 = data[i];
        if (b0 <= 0x7F) {
            codePoints.push_back(b0);
            ++i;
            continue;
        }
        // Length and the allowed range of the second byte, by lead byte.
        std::size_t length;
        std::uint8_t low = 0x80, high = 0xBF;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            length = 2;
        } else if (b0 == 0xE0) {
            length = 3, low = 0xA0;
        } else if ((b0 >= 0xE1 && b0 <= 0xEC) || b0 == 0xEE || b0 == 0xEF) {
            length = 3;
        } else if (b0 == 0xED) {
            length = 3, high = 0x9F;
        } else if (b0 == 0xF0) {
            length = 4, low = 0x90;
        } else if (b0 >= 0xF1 && b0 <= 0xF3) {
            length = 4;
        } else if (b0 == 0xF4) {
            length = 4, high = 0x8F;
        } else {
            return false;
        }
        if (size - i < length) return false;
        if (data[i + 1] < low || data[i + 1] > high) return false;
        for (std::size_t k = 2; k < length; ++k) {
            if (data[i + k] < 0x80 || data[i + k] > 0xBF) return false;
        }
        char32_t cp = b0 & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k) cp = (cp << 6) | (data[i + k] & 0x3F);
        codePoints.push_back(cp);
        i += length;
    }
    return true;
}

// Code points as UTF-16, with pairs above U+FFFF.
inline std::u16string EncodeUtf16(const std::vector<char32_t>& codePoints) {
    std::u16string units;
    for (char32_t cp : codePoints) {
        if (cp >= 0x10000) {
            units.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(cp));
        }
    }
    return units;
}

// The code points of UTF-16 `units`: a high surrogate (D800-DBFF) directly
// followed by a low one (DC00-DFFF) is one code point above U+FFFF; any other
// surrogate is U+FFFD. `wellFormed` is false when there was such a surrogate.
inline std::vector<char32_t> DecodeUtf16Leniently(const std::u16string& units,
                                                  bool& wellFormed) {
    constexpr char32_t kReplacement = 0xFFFD;
    constexpr char32_t kNoHigh = 0;  // no unit of a surrogate pair is zero
    std::vector<char32_t> codePoints;
    wellFormed = true;
    char32_t pendingHigh = kNoHigh;
    for (const char16_t unit : units) {
        const unsigned kind = unit & 0xFC00u;  // the top six bits tell the surrogates
        if (pendingHigh != kNoHigh) {
            if (kind == 0xDC00u) {
                codePoints.push_back(0x10000 + (((pendingHigh & 0x3FFu) << 10) | (unit & 0x3FFu)));
                pendingHigh = kNoHigh;
                continue;
            }
            codePoints.push_back(kReplacement);
            wellFormed = false;
            pendingHigh = kNoHigh;
        }
        if (kind == 0xD800u) {
            pendingHigh = unit;
        } else if (kind == 0xDC00u) {
            codePoints.push_back(kReplacement);
            wellFormed = false;
        } else {
            codePoints.push_back(unit);
        }
    }
    if (pendingHigh != kNoHigh) {
        codePoints.push_back(kReplacement);
        wellFormed = false;
    }
    return codePoints;
}
