#include "cli/arguments.h"

#include "derivation/keyword_rules.h"
#include "derivation/utf8.h"

namespace {

constexpr char16_t kEscapedByte = 0xDC00;  // plus the byte, which is 0x80 or above

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// An escaped byte, not the second half of a pair that happens to fall in
// the same range.
bool IsEscapedByte(const std::u16string& argument, std::size_t i) {
    return argument[i] >= kEscapedByte + 0x80 && argument[i] <= kEscapedByte + 0xFF &&
           (i == 0 || !IsHighSurrogate(argument[i - 1]));
}

void AppendConverted(Bytes& bytes, const std::u16string& argument, std::size_t begin,
                     std::size_t end) {
    Bytes run = ToUtf8(argument.substr(begin, end - begin));
    bytes.insert(bytes.end(), run.begin(), run.end());
    SecureWipeContents(run);
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
    // Only what ArgumentToUtf16 makes: well-formed text, converted as
    // everywhere else, and escaped bytes, which become themselves again.
    // Reserved once (at most three bytes a unit), so that no copy is left
    // behind by a reallocation.
    Bytes bytes;
    bytes.reserve(3 * argument.size());
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        if (!IsEscapedByte(argument, i)) continue;
        AppendConverted(bytes, argument, runStart, i);
        bytes.push_back(static_cast<std::uint8_t>(argument[i] - kEscapedByte));
        runStart = i + 1;
    }
    AppendConverted(bytes, argument, runStart, argument.size());
    return bytes;
}
