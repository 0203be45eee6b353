// Copy to the clipboard, and the check that empties the clipboard again 30
// seconds later if it still holds the copied text.
#include "clipboard/clipboard_guard.h"

#include <windows.h>

#include <cstring>
#include <iterator>
#include <string>

#include "clipboard/clipboard_policy.h"
#include "clipboard/clipboard_text.h"
#include "crypto/crypto.h"
#include "platform/win_handles.h"

namespace {

constexpr UINT kGuardDelayMs = kGuardSeconds * 1000;

// The guard's timers on the timer window: the check, 30 seconds after the
// last copy, and its retries while another program holds the clipboard. The
// retries have a timer of their own, so that the check's timer still fires
// exactly once per copy. The window's own timers keep clear of these
// (ui/ui_ids.h).
constexpr UINT_PTR ID_CLEAR_CLIPBOARD_TIMER = 1;
constexpr UINT_PTR ID_CLIPBOARD_RETRY_TIMER = 2;
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
    const char* format;
    const void* data;
    SIZE_T bytes;
};
const Mark kMarks[] = {
    {kExcludeFromMonitorsFormat, &kHistoryNo, sizeof(kHistoryNo)},
    {kCanIncludeInHistoryFormat, &kHistoryNo, sizeof(kHistoryNo)},
    {kCanUploadToCloudFormat, &kHistoryNo, sizeof(kHistoryNo)},
    {kPasswordManagerHintFormat, kPasswordManagerHint, kPasswordManagerHintBytes},
    {kCopyQHiddenFormat, kCopyQHidden, kCopyQHiddenBytes},
};
constexpr std::size_t kMarkCount = std::size(kMarks);

// The guard's whole state, owned by this file.
struct GuardState {
    std::wstring text;          // what the last copy put on the clipboard; empty when idle
    HWND timerWindow = nullptr;  // where its timers run
    ULONGLONG dueAt = 0;        // when the check is due, on GetTickCount64's clock; 0 once run
    ULONGLONG nextRunAt = 0;    // when the check or its next retry is due; 0 when idle
    ULONGLONG busySince = 0;    // when the check first found the clipboard busy
    GuardCheck last = GuardCheck::kPending;  // what the check of the last copy found
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
bool WipeTextAndEmptyClipboard() {
    if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
        GlobalLockView view(block);
        if (view.Data()) SecureWipe(view.Data(), GlobalSize(block));
    }
    return EmptyClipboard() != FALSE;
}

// On the opened clipboard: whether it still holds exactly the guarded text.
// The text itself is compared, never the clipboard's sequence number: under
// Wine CloseClipboard raises that number, and so does a clipboard manager
// that takes the clipboard over with the same text.
bool StillOurs() {
    HANDLE block = GetClipboardData(CF_UNICODETEXT);
    if (!block) return false;
    GlobalLockView view(block);
    return view.Data() && ClipboardTextEquals(static_cast<const wchar_t*>(view.Data()),
                                              GlobalSize(block), g_guard.text);
}

// On the opened clipboard: empties it only if it still holds the guarded
// text. An emptying that fails leaves the text there, and is retried as a
// busy clipboard is.
GuardCheck ClearIfStillOurs() {
    if (!StillOurs()) return GuardCheck::kLeftAlone;
    return WipeTextAndEmptyClipboard() ? GuardCheck::kCleared : GuardCheck::kBusy;
}

void DisarmGuard() {
    KillTimer(g_guard.timerWindow, ID_CLEAR_CLIPBOARD_TIMER);
    KillTimer(g_guard.timerWindow, ID_CLIPBOARD_RETRY_TIMER);
    g_guard.dueAt = 0;
    g_guard.nextRunAt = 0;
    g_guard.busySince = 0;
    g_guard.slowRetries = false;
    SecureWipeContents(g_guard.text);
    g_guard.text.clear();
}

// The check, once: kPending when the guard had nothing left to guard.
GuardCheck CheckClipboardOnce(OpenPolicy policy) {
    if (g_guard.text.empty()) return GuardCheck::kPending;
    ClipboardSession clipboard;
    if (!OpenPatiently(clipboard, g_guard.timerWindow, policy)) return GuardCheck::kBusy;
    return ClearIfStillOurs();
}

// True when the check is over: the clipboard was opened and compared, or the
// guard had nothing left to guard.
bool Settled(GuardCheck found) {
    if (found == GuardCheck::kBusy) return false;
    if (found != GuardCheck::kPending) g_guard.last = found;
    DisarmGuard();
    return true;
}

// The next retry, `intervalMs` from now, by its timer and by the deadline
// that the message loop looks at; setting the timer again restarts it, so
// that both name the same moment whichever of them ran this retry.
void ScheduleRetry(UINT intervalMs) {
    g_guard.nextRunAt = GetTickCount64() + intervalMs;
    SetTimer(g_guard.timerWindow, ID_CLIPBOARD_RETRY_TIMER, intervalMs, nullptr);
}

void RunClipboardCheck() {
    // Once per copy; a busy clipboard is retried on a timer of its own.
    KillTimer(g_guard.timerWindow, ID_CLEAR_CLIPBOARD_TIMER);
    g_guard.dueAt = 0;
    if (Settled(CheckClipboardOnce(kCheckOpen))) return;
    g_guard.busySince = GetTickCount64();
    g_guard.slowRetries = false;
    ScheduleRetry(kFastRetryIntervalMs);
}

void RetryClipboardCheck() {
    if (Settled(CheckClipboardOnce(kCheckOpen))) return;
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
        formats[i] = RegisterClipboardFormatA(kMarks[i].format);
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
    g_guard.last = GuardCheck::kPending;
    g_guard.dueAt = GetTickCount64() + kGuardDelayMs;
    g_guard.nextRunAt = g_guard.dueAt;
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

GuardCheck LastClipboardCheck() { return g_guard.last; }

void RunClipboardCheckIfDue() {
    if (g_guard.nextRunAt == 0 || GetTickCount64() < g_guard.nextRunAt + kTimerStarvedAfterMs) {
        return;
    }
    if (g_guard.busySince == 0) {
        RunClipboardCheck();
    } else {
        RetryClipboardCheck();
    }
}

unsigned long long MsUntilClipboardCheck() {
    if (g_guard.dueAt == 0) return 0;
    const ULONGLONG now = GetTickCount64();
    return now >= g_guard.dueAt ? 0 : g_guard.dueAt - now;
}

GuardCheck NoteClipboardChanged() {
    if (g_guard.text.empty()) return g_guard.last;
    ClipboardSession clipboard;
    if (!OpenPatiently(clipboard, g_guard.timerWindow, kCopyOpen)) return GuardCheck::kBusy;
    if (StillOurs()) return GuardCheck::kPending;
    // Someone else's copy: nothing of ours is left to guard.
    Settled(GuardCheck::kLeftAlone);
    return GuardCheck::kLeftAlone;
}

GuardCheck RunClipboardCheckBeforeExit() {
    const GuardCheck found = CheckClipboardOnce(kExitOpen);
    if (!Settled(found)) {
        // Busy to the end: the program ends all the same.
        g_guard.last = found;
        DisarmGuard();
    }
    return g_guard.last;
}
