#include "cli/arguments.h"

#include "derivation/keyword_rules.h"

namespace {

constexpr char16_t kEscapedByte = 0xDC00;  // plus the byte, which is 0x80 or above

void AppendUtf8(Bytes& out, char32_t cp) {
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

std::u16string ArgumentToUtf16(const char* argument) {
    const std::string bytes(argument);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::u16string wide;
    std::size_t position = 0;
    while (position < bytes.size()) {
        char32_t cp;
        if (!NextCodePoint(data, bytes.size(), position, cp)) {
            // Not the start of well-formed UTF-8, so 0x80 or above.
            wide.push_back(static_cast<char16_t>(kEscapedByte + data[position]));
            ++position;
        } else if (cp >= 0x10000) {
            wide.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            wide.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            wide.push_back(static_cast<char16_t>(cp));
        }
    }
    return wide;
}

Bytes KeywordFromArgument(const std::u16string& argument) {
    // Only what ArgumentToUtf16 makes: well-formed pairs and escaped bytes
    // (well-formed UTF-8 never decodes to an unpaired surrogate).
    // Reserved once (at most three bytes a unit), so that no copy is left
    // behind by a reallocation.
    Bytes bytes;
    bytes.reserve(3 * argument.size());
    for (std::size_t i = 0; i < argument.size(); ++i) {
        const char16_t unit = argument[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < argument.size() &&
            argument[i + 1] >= 0xDC00 && argument[i + 1] <= 0xDFFF) {
            AppendUtf8(bytes, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                                  (argument[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= kEscapedByte + 0x80 && unit <= kEscapedByte + 0xFF) {
            bytes.push_back(static_cast<std::uint8_t>(unit - kEscapedByte));
        } else {
            AppendUtf8(bytes, unit);
        }
    }
    return bytes;
}
