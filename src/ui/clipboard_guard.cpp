// Copy to the clipboard, and the check that empties the clipboard again 30
// seconds later if it still holds the copied text.
#include "ui/clipboard_guard.h"

#include <windows.h>

#include <cstring>
#include <iterator>
#include <string>

#include "clipboard/clipboard_policy.h"
#include "crypto/crypto.h"
#include "ui/clipboard_text.h"
#include "ui/win_handles.h"

namespace {

constexpr UINT kGuardDelayMs = kGuardSeconds * 1000;
// Another program may hold the clipboard open when the check comes. The
// guarded text may still be there, so the check never gives up while the
// program runs: it is tried again every quarter second for ten seconds, as
// most programs let the clipboard go within a moment, and every two seconds
// after that.
constexpr UINT kFastRetryIntervalMs = 250;
constexpr ULONGLONG kFastRetryPeriodMs = 10000;
constexpr UINT kSlowRetryIntervalMs = 2000;
// The timers stay the ordinary way to the check. The message loop runs it
// itself only when the timer message is this late, which it is only while
// posted messages keep the queue from making it; by then it would otherwise
// wait for as long as they come.
constexpr ULONGLONG kTimerStarvedAfterMs = 200;

// How patiently the clipboard is opened. Clipboard monitors and history
// tools hold it open for a moment after every change, so an opening is
// tried `attempts` times, `intervalMs` apart.
struct OpenPolicy {
    int attempts;
    DWORD intervalMs;
};
// The guard's timed checks try once; a busy clipboard is retried on a timer.
constexpr OpenPolicy kCheckOpen = {1, 0};
// A user waiting for Copy gets a try of about a second: Wine's own clipboard
// manager, for one, holds the clipboard for a moment after every change.
constexpr OpenPolicy kCopyOpen = {20, 50};
// A program that is ending gets three seconds: Windows allows a program only
// a few to end its session. After that it ends all the same, the one case in
// which the guarded text can outlive the guard.
constexpr OpenPolicy kExitOpen = {60, 50};

bool OpenPatiently(ClipboardSession& clipboard, HWND owner, OpenPolicy policy) {
    for (int attempt = 0; attempt < policy.attempts && !clipboard.IsOpen(); ++attempt) {
        if (attempt > 0) Sleep(policy.intervalMs);
        clipboard.TryOpen(owner);
    }
    return clipboard.IsOpen();
}

// The registered formats that every copy carries beside its text.
struct Mark {
    const wchar_t* format;
    const void* data;
    SIZE_T bytes;
};
// Windows 10 and later keep a history of the clipboard (Win+V) and may sync
// it to other devices, which would keep the text long after the guard has
// cleared it. Content that carries the first three formats is left out of
// both: the first by its mere presence, the other two when they hold a
// DWORD 0. Under Wine the registered formats reach X as targets of the
// same names, where Linux clipboard managers look for their own marks: KDE's
// Klipper leaves out of its history whatever offers the fourth, the six
// bytes "secret" with no terminating zero, and CopyQ, which ignores that
// (as Debian 12 packages it), whatever offers the fifth, the byte "1".
constexpr DWORD kNo = 0;
constexpr char kPasswordManagerHint[] = {'s', 'e', 'c', 'r', 'e', 't'};
constexpr char kCopyQHidden[] = {'1'};
const Mark kMarks[] = {
    {L"ExcludeClipboardContentFromMonitorProcessing", &kNo, sizeof(kNo)},
    {L"CanIncludeInClipboardHistory", &kNo, sizeof(kNo)},
    {L"CanUploadToCloudClipboard", &kNo, sizeof(kNo)},
    {L"x-kde-passwordManagerHint", kPasswordManagerHint, sizeof(kPasswordManagerHint)},
    {L"application/x-copyq-hidden", kCopyQHidden, sizeof(kCopyQHidden)},
};
constexpr std::size_t kMarkCount = std::size(kMarks);

// The guard's whole state, owned by this file.
struct GuardState {
    std::wstring text;          // what the last copy put on the clipboard; empty when idle
    HWND timerWindow = nullptr;  // where its timers run
    ULONGLONG busySince = 0;    // when the check first found the clipboard busy; 0 before
    ULONGLONG dueAt = 0;        // when the check or its next retry is due; 0 when idle
    bool slowRetries = false;   // past the first ten seconds of retries
};
GuardState g_guard;

bool FillBlock(const GlobalBlock& block, const void* data, SIZE_T bytes) {
    if (!block.Get()) return false;
    GlobalLockView view(block.Get());
    if (!view.Data()) return false;
    std::memcpy(view.Data(), data, bytes);
    return true;
}

// Empties the opened clipboard, which holds our text. The text block goes
// back to the heap as it is, so it is overwritten first.
void WipeTextAndEmptyClipboard() {
    if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
        GlobalLockView view(block);
        if (view.Data()) SecureWipe(view.Data(), GlobalSize(block));
    }
    EmptyClipboard();
}

// On the opened clipboard: empties it only if it still holds exactly the
// guarded text. The text itself is compared, never the clipboard's sequence
// number: under Wine CloseClipboard raises that number, and so does a
// clipboard manager that takes the clipboard over with the same text.
void ClearIfStillOurs() {
    HANDLE block = GetClipboardData(CF_UNICODETEXT);
    if (!block) return;
    bool stillOurs = false;
    {
        GlobalLockView view(block);
        if (view.Data()) {
            stillOurs = ClipboardTextEquals(static_cast<const wchar_t*>(view.Data()),
                                            GlobalSize(block), g_guard.text);
        }
    }
    if (stillOurs) WipeTextAndEmptyClipboard();
}

void DisarmGuard() {
    KillTimer(g_guard.timerWindow, ID_CLEAR_CLIPBOARD_TIMER);
    KillTimer(g_guard.timerWindow, ID_CLIPBOARD_RETRY_TIMER);
    g_guard.busySince = 0;
    g_guard.dueAt = 0;
    g_guard.slowRetries = false;
    SecureWipeContents(g_guard.text);
    g_guard.text.clear();
}

// True when the check is over: the clipboard was opened and compared, or the
// guard had nothing left to guard.
bool CheckClipboardOnce(OpenPolicy policy) {
    if (g_guard.text.empty()) return true;
    ClipboardSession clipboard;
    if (OpenPatiently(clipboard, g_guard.timerWindow, policy)) ClearIfStillOurs();
    return clipboard.IsOpen();
}

// The next retry, `intervalMs` from now, by its timer and by the deadline
// that the message loop looks at; setting the timer again restarts it, so
// that both name the same moment whichever of them ran this retry.
void ScheduleRetry(UINT intervalMs) {
    g_guard.dueAt = GetTickCount64() + intervalMs;
    SetTimer(g_guard.timerWindow, ID_CLIPBOARD_RETRY_TIMER, intervalMs, nullptr);
}

void RunClipboardCheck() {
    // Once per copy; a busy clipboard is retried on a timer of its own.
    KillTimer(g_guard.timerWindow, ID_CLEAR_CLIPBOARD_TIMER);
    if (CheckClipboardOnce(kCheckOpen)) {
        DisarmGuard();
        return;
    }
    g_guard.busySince = GetTickCount64();
    g_guard.slowRetries = false;
    ScheduleRetry(kFastRetryIntervalMs);
}

void RetryClipboardCheck() {
    if (CheckClipboardOnce(kCheckOpen)) {
        DisarmGuard();
        return;
    }
    if (!g_guard.slowRetries && GetTickCount64() - g_guard.busySince >= kFastRetryPeriodMs) {
        g_guard.slowRetries = true;
    }
    ScheduleRetry(g_guard.slowRetries ? kSlowRetryIntervalMs : kFastRetryIntervalMs);
}

}  // namespace

CopyResult CopyToClipboardAndArmGuard(HWND owner, HWND timerWindow, const wchar_t* text,
                                      std::size_t length) {
    // Everything that can run out of memory comes first, while the clipboard
    // still holds what the user put there. The zeroed block ends the text.
    GlobalBlock textBlock(GMEM_MOVEABLE | GMEM_ZEROINIT, (length + 1) * sizeof(wchar_t));
    if (!FillBlock(textBlock, text, length * sizeof(wchar_t))) return CopyResult::kFailed;
    static_assert(kMarkCount == 5, "one block below for each mark");
    GlobalBlock markBlocks[kMarkCount] = {{GMEM_MOVEABLE, kMarks[0].bytes},
                                          {GMEM_MOVEABLE, kMarks[1].bytes},
                                          {GMEM_MOVEABLE, kMarks[2].bytes},
                                          {GMEM_MOVEABLE, kMarks[3].bytes},
                                          {GMEM_MOVEABLE, kMarks[4].bytes}};
    UINT formats[kMarkCount] = {};
    for (std::size_t i = 0; i < kMarkCount; ++i) {
        formats[i] = RegisterClipboardFormatW(kMarks[i].format);
        if (formats[i] == 0 || !FillBlock(markBlocks[i], kMarks[i].data, kMarks[i].bytes)) {
            return CopyResult::kFailed;
        }
    }

    ClipboardSession clipboard;
    if (!OpenPatiently(clipboard, owner, kCopyOpen)) return CopyResult::kClipboardBusy;
    if (!EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, textBlock.Get())) {
        return CopyResult::kFailed;
    }
    textBlock.Release();
    // After the text, which thereby stays the first format: readers that go
    // down the list take what they know first. The text never stays on the
    // clipboard without them.
    for (std::size_t i = 0; i < kMarkCount; ++i) {
        if (!SetClipboardData(formats[i], markBlocks[i].Get())) {
            WipeTextAndEmptyClipboard();
            return CopyResult::kFailed;
        }
        markBlocks[i].Release();
    }

    // The previous text is off the clipboard now; any retries of its check
    // end here, and its copy is wiped before it is replaced.
    DisarmGuard();
    g_guard.timerWindow = timerWindow;
    g_guard.text.assign(text, length);
    g_guard.dueAt = GetTickCount64() + kGuardDelayMs;
    SetTimer(timerWindow, ID_CLEAR_CLIPBOARD_TIMER, kGuardDelayMs, nullptr);
    return CopyResult::kCopied;
}

bool HandleClipboardGuardTimer(UINT_PTR timerId) {
    switch (timerId) {
        case ID_CLEAR_CLIPBOARD_TIMER:
            RunClipboardCheck();
            return true;
        case ID_CLIPBOARD_RETRY_TIMER:
            RetryClipboardCheck();
            return true;
        default:
            return false;
    }
}

void RunClipboardCheckIfDue() {
    if (g_guard.dueAt == 0 || GetTickCount64() < g_guard.dueAt + kTimerStarvedAfterMs) return;
    if (g_guard.busySince == 0) {
        RunClipboardCheck();
    } else {
        RetryClipboardCheck();
    }
}

bool ClipboardGuardIsArmed() { return !g_guard.text.empty(); }

void RunClipboardCheckBeforeExit() {
    CheckClipboardOnce(kExitOpen);
    DisarmGuard();
}

bool OpenClipboardAsCopyDoes(ClipboardSession& clipboard, HWND owner) {
    return OpenPatiently(clipboard, owner, kCopyOpen);
}
