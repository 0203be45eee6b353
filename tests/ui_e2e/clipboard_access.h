// The test's own use of the clipboard. The clipboard is opened when another
// process lets it go, within a second.
#pragma once

#include <windows.h>

#include <string>

// A text that the test puts on the clipboard as another application's.
constexpr wchar_t kOtherText[] = L"copied by someone else";

bool OpenClipboardWhenFree();
std::wstring ReadClipboardText(bool* hasText);
bool PutTextOnClipboard(const std::wstring& text);

// The clipboard held open by a window of the test's own, as another
// application holds it while it reads or writes.
class ClipboardHolder {
public:
    ClipboardHolder();
    ~ClipboardHolder() { Release(); }
    ClipboardHolder(const ClipboardHolder&) = delete;
    ClipboardHolder& operator=(const ClipboardHolder&) = delete;
    bool IsOpen() const { return open_; }
    void Release();

private:
    HWND window_;
    bool open_;
};
