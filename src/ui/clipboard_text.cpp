#include "ui/clipboard_text.h"

#include <cwchar>

bool ClipboardTextEquals(const wchar_t* blockData, std::size_t blockBytes,
                         const std::wstring& expected) {
    const std::size_t capacity = blockBytes / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < capacity && blockData[length] != L'\0') ++length;
    return length == expected.size() && std::wmemcmp(blockData, expected.data(), length) == 0;
}
