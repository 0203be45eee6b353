#include "clipboard/clipboard_text.h"

#include <cwchar>

namespace {

// The units before the first zero unit, or all of the block's whole units.
std::size_t TextLength(const wchar_t* blockData, std::size_t blockBytes) {
    const std::size_t capacity = blockBytes / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < capacity && blockData[length] != L'\0') ++length;
    return length;
}

bool IsLineBreak(wchar_t unit) { return unit == L'\r' || unit == L'\n'; }

}  // namespace

bool ClipboardTextEquals(const wchar_t* blockData, std::size_t blockBytes,
                         const std::wstring& expected) {
    const std::size_t length = TextLength(blockData, blockBytes);
    return length == expected.size() && std::wmemcmp(blockData, expected.data(), length) == 0;
}

bool PasteDroppedLines(const wchar_t* blockData, std::size_t blockBytes, std::size_t keptUnits) {
    const std::size_t length = TextLength(blockData, blockBytes);
    if (keptUnits >= length || !IsLineBreak(blockData[keptUnits])) return false;
    for (std::size_t i = keptUnits; i < length; ++i) {
        if (!IsLineBreak(blockData[i])) return true;
    }
    return false;
}
