#include <windows.h>

#include "platform/utf8_to_wide.h"

void Utf8ToWideInto(const char* bytes, std::size_t size, std::wstring& out) {
    out.clear();
    if (size == 0) return;
    const int byteCount = static_cast<int>(size);
    const int units = MultiByteToWideChar(CP_UTF8, 0, bytes, byteCount, nullptr, 0);
    if (units <= 0) return;
    out.resize(static_cast<std::size_t>(units));
    MultiByteToWideChar(CP_UTF8, 0, bytes, byteCount, &out[0], units);
}

std::wstring Utf8ToWide(const std::string& text) {
    std::wstring wide;
    Utf8ToWideInto(text.data(), text.size(), wide);
    return wide;
}
