// Copy to the clipboard, and the check that empties the clipboard again 30
// seconds later if it still holds the copied password.
#include <windows.h>

#include <cstring>
#include <iterator>
#include <string>

#include "crypto/crypto.h"
#include "ui/app_state.h"
#include "ui/clipboard_guard.h"
#include "ui/clipboard_text.h"
#include "ui/ui_ids.h"
#include "ui/win_handles.h"

namespace {

constexpr UINT kGuardDelayMilliseconds = 30000;
// Another program may hold the clipboard open when the check comes: it is
// tried again every quarter second for ten seconds before being given up.
constexpr UINT kCheckRetryIntervalMs = 250;
constexpr int kCheckRetries = 40;
// A program that is ending, or a user waiting for Copy, gets a try of about
// a second: Wine's own clipboard manager, for one, holds the clipboard for a
// moment after every change.
constexpr int kShortAttempts = 20;
constexpr DWORD kShortIntervalMs = 50;

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
constexpr std::size_t kNoHistoryFormatCount = std::size(kNoHistoryFormats);

bool FillBlock(const GlobalBlock& block, const void* data, SIZE_T bytes) {
    if (!block.Get()) return false;
    GlobalLockView view(block.Get());
    if (!view.Data()) return false;
    std::memcpy(view.Data(), data, bytes);
    return true;
}

// Empties the opened clipboard, which holds our password. The text block goes
// back to the heap as it is, so it is overwritten first.
void WipeTextAndEmptyClipboard() {
    if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
        GlobalLockView view(block);
        if (view.Data()) SecureWipe(view.Data(), GlobalSize(block));
    }
    EmptyClipboard();
}

// On the opened clipboard: empties it only if it still holds exactly the
// guarded text.
void ClearIfStillOurs() {
    HANDLE block = GetClipboardData(CF_UNICODETEXT);
    if (!block) return;
    bool stillOurs = false;
    {
        GlobalLockView view(block);
        if (view.Data()) {
            stillOurs = ClipboardTextEquals(static_cast<const wchar_t*>(view.Data()),
                                            GlobalSize(block), g_app.clipboardGuardText);
        }
    }
    if (stillOurs) WipeTextAndEmptyClipboard();
}

void DisarmGuard() {
    KillTimer(g_app.mainWindow, ID_CLEAR_CLIPBOARD_TIMER);
    KillTimer(g_app.mainWindow, ID_CLIPBOARD_RETRY_TIMER);
    g_app.clipboardCheckRetriesLeft = 0;
    SecureWipeContents(g_app.clipboardGuardText);
    g_app.clipboardGuardText.clear();
}

// True when the check is over: the clipboard could be opened and was left
// without our password, or the guard had nothing left to guard.
bool CheckClipboardOnce() {
    if (g_app.clipboardGuardText.empty()) return true;
    ClipboardSession clipboard(g_app.mainWindow, 1, 0);
    if (clipboard.IsOpen()) ClearIfStillOurs();
    return clipboard.IsOpen();
}

}  // namespace

CopyResult CopyToClipboardAndArmGuard(HWND resultWindow, const std::wstring& text) {
    // Everything that can run out of memory comes first, while the clipboard
    // still holds what the user put there.
    const SIZE_T textBytes = (text.size() + 1) * sizeof(wchar_t);
    GlobalBlock textBlock(GMEM_MOVEABLE, textBytes);
    if (!FillBlock(textBlock, text.c_str(), textBytes)) return CopyResult::kFailed;
    // Every format gets the same DWORD 0; the exclusion format's content is
    // not read, so one shape serves all three.
    const DWORD no = 0;
    UINT formats[kNoHistoryFormatCount] = {};
    GlobalBlock marks[kNoHistoryFormatCount] = {
        {GMEM_MOVEABLE, sizeof(no)}, {GMEM_MOVEABLE, sizeof(no)}, {GMEM_MOVEABLE, sizeof(no)}};
    for (std::size_t i = 0; i < kNoHistoryFormatCount; ++i) {
        formats[i] = RegisterClipboardFormatW(kNoHistoryFormats[i]);
        if (formats[i] == 0 || !FillBlock(marks[i], &no, sizeof(no))) return CopyResult::kFailed;
    }

    ClipboardSession clipboard(resultWindow, kShortAttempts, kShortIntervalMs);
    if (!clipboard.IsOpen()) return CopyResult::kClipboardBusy;
    if (!EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, textBlock.Get())) {
        return CopyResult::kFailed;
    }
    textBlock.Release();
    // After the text, which thereby stays the first format: readers that go
    // down the list take what they know first. The password never stays on
    // the clipboard without them.
    for (std::size_t i = 0; i < kNoHistoryFormatCount; ++i) {
        if (!SetClipboardData(formats[i], marks[i].Get())) {
            WipeTextAndEmptyClipboard();
            return CopyResult::kFailed;
        }
        marks[i].Release();
    }

    // The previous password is off the clipboard now; any retries of its
    // check end here, and its copy is wiped before it is replaced.
    DisarmGuard();
    g_app.clipboardGuardText = text;
    SetTimer(g_app.mainWindow, ID_CLEAR_CLIPBOARD_TIMER, kGuardDelayMilliseconds, nullptr);
    return CopyResult::kCopied;
}

void RunClipboardCheck() {
    // Once per copy; a busy clipboard is retried on a timer of its own.
    KillTimer(g_app.mainWindow, ID_CLEAR_CLIPBOARD_TIMER);
    if (CheckClipboardOnce()) {
        DisarmGuard();
        return;
    }
    g_app.clipboardCheckRetriesLeft = kCheckRetries;
    SetTimer(g_app.mainWindow, ID_CLIPBOARD_RETRY_TIMER, kCheckRetryIntervalMs, nullptr);
}

void RetryClipboardCheck() {
    // Given up once the retries are used up: the guard text is wiped either way.
    if (CheckClipboardOnce() || --g_app.clipboardCheckRetriesLeft <= 0) DisarmGuard();
}

void RunClipboardCheckBeforeExit() {
    if (g_app.clipboardGuardText.empty()) return;
    {
        ClipboardSession clipboard(g_app.mainWindow, kShortAttempts, kShortIntervalMs);
        if (clipboard.IsOpen()) ClearIfStillOurs();
    }
    DisarmGuard();
}
