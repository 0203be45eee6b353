#include "derivation/utf8.h"

bool NextCodePoint(const std::uint8_t* text, std::size_t size, std::size_t& position,
                   char32_t& codePoint) {
    const std::uint8_t lead = text[position];
    std::size_t extra;
    char32_t cp, minimum;
    if (lead < 0x80) {
        codePoint = lead;
        ++position;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, cp = lead & 0x07, minimum = 0x10000;
    } else {
        return false;
    }
    if (size - position <= extra) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
        if ((text[position + k] & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (text[position + k] & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || IsSurrogate(cp)) return false;
    codePoint = cp;
    position += extra + 1;
    return true;
}

void AppendUtf16(std::u16string& out, char32_t codePoint) {
    if (codePoint < 0x10000) {
        out.push_back(static_cast<char16_t>(codePoint));
        return;
    }
    out.push_back(static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF)));
}
