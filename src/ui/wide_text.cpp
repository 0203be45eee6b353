#include "ui/wide_text.h"

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

std::wstring ReadWindowText(HWND control) {
    // One named result on every path, so that it is built in the caller's
    // string: a moved short string would leave its text on the stack.
    std::wstring text;
    const int length = GetWindowTextLengthW(control);
    if (length <= 0) return text;
    text.resize(static_cast<std::size_t>(length) + 1);
    GetWindowTextW(control, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
}
