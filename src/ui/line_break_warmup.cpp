#include "ui/line_break_warmup.h"

void BreakHarmlessLineOnce(HINSTANCE instance) {
    // Narrower than its text, so that the edit has to find where to break
    // the line. Never shown.
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | ES_MULTILINE, 0, 0, 48, 96, nullptr,
                                nullptr, instance, nullptr);
    if (!edit) return;
    SendMessageW(edit, WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"a harmless text, broken into lines once"));
    DestroyWindow(edit);
}
