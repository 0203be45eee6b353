// ToUtf8 on Windows: the platform's own conversion, measured first.
#include <windows.h>

#include <limits>

#include "derivation/utf8.h"

Bytes ToUtf8(const std::u16string& text) {
    if (text.empty()) return {};
    // The edit controls hold far fewer units than an int can count; a larger
    // text would be refused by the platform, so refuse it here the same way.
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int units = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, units, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    Bytes utf8(static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, wide, units, reinterpret_cast<char*>(utf8.data()), size,
                        nullptr, nullptr);
    return utf8;
}
