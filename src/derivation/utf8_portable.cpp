// ToUtf8 away from Windows. It must give the bytes WideCharToMultiByte(CP_UTF8,
// flags 0) gives, because those bytes make the password: well-formed pairs
// become four-byte sequences, and any unpaired surrogate becomes U+FFFD.
#include "derivation/utf8.h"

namespace {

void AppendCodePoint(Bytes& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<std::uint8_t>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<std::uint8_t>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<std::uint8_t>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<std::uint8_t>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<std::uint8_t>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<std::uint8_t>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<std::uint8_t>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<std::uint8_t>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

Bytes ToUtf8(const std::u16string& text) {
    Bytes out;
    // At most three bytes per unit (a pair of units gives four): reserving the
    // bound up front means the buffer never moves, so no unwiped copy of a
    // keyword is left behind by a reallocation.
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            const char32_t low = text[++i];
            AppendCodePoint(out, CombineSurrogates(unit, low));
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendCodePoint(out, 0xFFFD);
        } else {
            AppendCodePoint(out, unit);
        }
    }
    return out;
}
