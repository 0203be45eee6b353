// Copy to the clipboard, and the check that empties the clipboard again 30
// seconds later if it still holds the copied password.
#include <windows.h>

#include <cstring>
#include <string>

#include "crypto/crypto.h"
#include "ui/app_state.h"
#include "ui/clipboard_text.h"
#include "ui/ui_ids.h"
#include "ui/win_handles.h"

namespace {

constexpr UINT kGuardDelayMilliseconds = 30000;

// Windows 10 and later keep a history of the clipboard (Win+V) and may sync
// it to other devices, which would keep the password long after the guard
// has cleared it. Content that carries these registered formats is left out
// of both: the first by its mere presence, the other two when they hold a
// DWORD 0.
const wchar_t* const kNoHistoryFormats[] = {
    L"ExcludeClipboardContentFromMonitorProcessing",
    L"CanIncludeInClipboardHistory",
    L"CanUploadToCloudClipboard",
};

// Puts the text on the already opened and emptied clipboard. A block that
// cannot be filled or that the clipboard refuses is freed here, since it is
// still ours.
void PutTextOnClipboard(const std::wstring& text) {
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    GlobalBlock block(GMEM_MOVEABLE, bytes);
    if (!block.Get()) return;
    {
        GlobalLockView view(block.Get());
        if (!view.Data()) return;
        std::memcpy(view.Data(), text.c_str(), bytes);
    }
    if (SetClipboardData(CF_UNICODETEXT, block.Get())) block.Release();
}

// Every format gets the same DWORD 0; the exclusion format's content is not
// read, so one shape serves all three. After the text, which thereby stays
// the first format: readers that go down the list take what they know first.
void PutNoHistoryFormatsOnClipboard() {
    for (const wchar_t* name : kNoHistoryFormats) {
        const UINT format = RegisterClipboardFormatW(name);
        if (format == 0) continue;
        GlobalBlock block(GMEM_MOVEABLE, sizeof(DWORD));
        if (!block.Get()) continue;
        {
            GlobalLockView view(block.Get());
            if (!view.Data()) continue;
            const DWORD no = 0;
            std::memcpy(view.Data(), &no, sizeof(no));
        }
        if (SetClipboardData(format, block.Get())) block.Release();
    }
}

}  // namespace

void CopyToClipboardAndArmGuard(HWND resultWindow, const std::wstring& text) {
    {
        ClipboardSession clipboard(resultWindow);
        if (clipboard.IsOpen()) {
            EmptyClipboard();
            PutTextOnClipboard(text);
            PutNoHistoryFormatsOnClipboard();
        }
    }
    // The previous copy is no longer needed by anyone: wipe it before it is
    // replaced, rather than leave it in freed memory.
    SecureWipeContents(g_app.clipboardGuardText);
    g_app.clipboardGuardText = text;
    SetTimer(g_app.mainWindow, ID_CLEAR_CLIPBOARD_TIMER, kGuardDelayMilliseconds, nullptr);
}

void RunClipboardCheck() {
    KillTimer(g_app.mainWindow, ID_CLEAR_CLIPBOARD_TIMER);
    {
        ClipboardSession clipboard(g_app.mainWindow);
        if (clipboard.IsOpen()) {
            HANDLE block = GetClipboardData(CF_UNICODETEXT);
            bool stillOurs = false;
            if (block) {
                GlobalLockView view(block);
                if (view.Data()) {
                    stillOurs = ClipboardTextEquals(static_cast<const wchar_t*>(view.Data()),
                                                    GlobalSize(block), g_app.clipboardGuardText);
                }
            }
            if (stillOurs) EmptyClipboard();
        }
    }
    SecureWipeContents(g_app.clipboardGuardText);
    g_app.clipboardGuardText.clear();
}
