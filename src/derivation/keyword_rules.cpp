#include "derivation/keyword_rules.h"

const char kKeywordsRequiredText[] = "Both Keyword 1 and Keyword 2 are required.";

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
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    codePoint = cp;
    position += extra + 1;
    return true;
}

bool IsValidUtf8(const Bytes& text) {
    std::size_t position = 0;
    char32_t cp;
    while (position < text.size()) {
        if (!NextCodePoint(text.data(), text.size(), position, cp)) return false;
    }
    return true;
}

KeywordFault CheckKeyword(const std::u16string& keyword) {
    if (keyword.empty()) return KeywordFault::Empty;
    if (keyword.find(u'\0') != std::u16string::npos) return KeywordFault::HoldsNul;
    if (keyword.size() > kMaxKeywordUnits) return KeywordFault::TooLong;
    return KeywordFault::None;
}

KeywordFault CheckKeyword(const Bytes& keyword) {
    if (keyword.empty()) return KeywordFault::Empty;
    std::size_t position = 0, units = 0;
    bool holdsNul = false;
    char32_t cp;
    while (position < keyword.size()) {
        if (!NextCodePoint(keyword.data(), keyword.size(), position, cp)) {
            return KeywordFault::NotUtf8;
        }
        holdsNul = holdsNul || cp == 0;
        units += cp >= 0x10000 ? 2 : 1;  // a surrogate pair in UTF-16
    }
    if (holdsNul) return KeywordFault::HoldsNul;
    if (units > kMaxKeywordUnits) return KeywordFault::TooLong;
    return KeywordFault::None;
}

std::string KeywordName(int keywordNumber) { return "Keyword " + std::to_string(keywordNumber); }

std::string KeywordCutText(int keywordNumber) {
    return KeywordName(keywordNumber) + " was cut to " + std::to_string(kMaxKeywordUnits) +
           " characters, the longest a keyword can be. Check it, or use a shorter keyword.";
}

std::string KeywordFirstLineKeptText(int keywordNumber) {
    return "Only the first line of the pasted text was kept in " + KeywordName(keywordNumber) +
           ". Check it.";
}

std::string KeywordFaultText(KeywordFault fault, int keywordNumber) {
    const std::string keyword = KeywordName(keywordNumber);
    switch (fault) {
        case KeywordFault::None:
            return {};
        case KeywordFault::Empty:
            return kKeywordsRequiredText;
        case KeywordFault::NotUtf8:
            return keyword + " is not UTF-8 text; save or convert the input as UTF-8.";
        case KeywordFault::HoldsNul:
            // A zero would run into the separator between the two keywords,
            // so "a\0b" + "c" and "a" + "b\0c" would give one password.
            return keyword + " holds a NUL character (U+0000); remove it.";
        case KeywordFault::TooLong:
            return keyword + " is longer than " + std::to_string(kMaxKeywordUnits) +
                   " characters (UTF-16 units); use a shorter keyword.";
    }
    return {};
}
