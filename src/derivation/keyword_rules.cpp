#include "derivation/keyword_rules.h"

#include "derivation/utf8.h"

const char kKeywordsRequiredText[] = "Both Keyword 1 and Keyword 2 are required.";

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

namespace {

template <typename Text>
KeywordVerdict CheckPair(const Text& keyword1, const Text& keyword2) {
    const Text* keywords[] = {&keyword1, &keyword2};
    for (int k = 0; k < 2; ++k) {
        if (keywords[k]->empty()) return {KeywordFault::Empty, k + 1};
    }
    for (int k = 0; k < 2; ++k) {
        const KeywordFault fault = CheckKeyword(*keywords[k]);
        if (fault != KeywordFault::None) return {fault, k + 1};
    }
    return {};
}

}  // namespace

KeywordVerdict CheckKeywordPair(const std::u16string& keyword1, const std::u16string& keyword2) {
    return CheckPair(keyword1, keyword2);
}

KeywordVerdict CheckKeywordPair(const Bytes& keyword1, const Bytes& keyword2) {
    return CheckPair(keyword1, keyword2);
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
