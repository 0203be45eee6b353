// A strict UTF-8 decoder (and a UTF-16 encoder) written apart from the
// product's code, to judge its output and to make test input: it follows the table of well-formed byte sequences in the Unicode
// standard (section 3.9, table 3-7) byte by byte, rather than decoding first
// and checking the code point afterwards as the product does.
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
