#include "ui/wide_text.h"

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
