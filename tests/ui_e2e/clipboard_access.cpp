#include "clipboard_access.h"

#include <cstring>

#include "wait_until.h"

bool OpenClipboardWhenFree() {
    return WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 1000);
}

std::wstring ReadClipboardText(bool* hasText) {
    *hasText = false;
    std::wstring text;
    if (!OpenClipboardWhenFree()) return text;
    HANDLE block = GetClipboardData(CF_UNICODETEXT);
    if (block) {
        if (const auto* data = static_cast<const wchar_t*>(GlobalLock(block))) {
            const std::size_t units = GlobalSize(block) / sizeof(wchar_t);
            std::size_t length = 0;
            while (length < units && data[length] != L'\0') ++length;
            text.assign(data, length);
            *hasText = true;
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    return text;
}

ClipboardHolder::ClipboardHolder()
    : window_(CreateWindowExW(0, L"STATIC", L"clipboard holder", 0, 0, 0, 1, 1, HWND_MESSAGE,
                              nullptr, nullptr, nullptr)),
      open_(OpenClipboard(window_) != FALSE) {}

void ClipboardHolder::Release() {
    if (open_) CloseClipboard();
    open_ = false;
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
}

bool PutTextOnClipboard(const std::wstring& text) {
    if (!OpenClipboardWhenFree()) return false;
    EmptyClipboard();
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool placed = false;
    if (block) {
        std::memcpy(GlobalLock(block), text.c_str(), bytes);
        GlobalUnlock(block);
        placed = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        if (!placed) GlobalFree(block);
    }
    CloseClipboard();
    return placed;
}
