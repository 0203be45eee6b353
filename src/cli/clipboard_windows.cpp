// --copy in tarnwell-cli.exe: the window program's clipboard guard, on a
// hidden window of this program. A top-level window, not a message-only
// one: once user32 is loaded the console handler no longer hears of logoff
// and shutdown, and only a top-level window gets WM_QUERYENDSESSION and
// WM_ENDSESSION. Windows documents that SetClipboardData fails after
// OpenClipboard(NULL), so the window also owns the clipboard.
#include <windows.h>

#include <string>

#include "cli/clipboard.h"
#include "cli/copy_countdown.h"
#include "clipboard/clipboard_guard.h"
#include "terminal/console_control.h"
#include "terminal/terminal_output.h"

struct CopySession {
    HWND window = nullptr;
};

namespace {

// The hidden clipboard window's class, named as the window program's are:
// tools find the window by it (the tests flood it by name), so it stays.
constexpr wchar_t kWindowClass[] = L"VORKACliCopyClass";
constexpr int kExitInterrupted = 130;  // as a shell reports an end by Ctrl+C
// Messages handled before the wait looks at the guard's clock and Ctrl+C
// again: any program of the desktop may post to our window, and a flood of
// posts must not hold the clear off.
constexpr int kMessagesPerRound = 64;

// Shared with the window procedure and the console handler's thread; owned
// by this file. The guard itself holds the text it guards, and knows what
// its check found.
struct WaitState {
    HANDLE wake = nullptr;     // set by the console handler
    HANDLE checked = nullptr;  // set once the check has run after it
    bool clipboardChanged = false;
    bool sessionEnding = false;
};
WaitState g_wait;

bool OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
        return false;
    }
    // The check runs on the waiting thread, which then ends the process.
    SetEvent(g_wait.wake);
    WaitForSingleObject(g_wait.checked, INFINITE);
    return true;
}

LRESULT CALLBACK CopyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (HandleClipboardGuardTimer(wParam)) return 0;
            break;
        case WM_CLIPBOARDUPDATE:
            g_wait.clipboardChanged = true;
            return 0;
        case WM_QUERYENDSESSION:
            RunClipboardCheckBeforeExit();
            g_wait.sessionEnding = true;
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) RunClipboardCheckBeforeExit();
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

struct Events {
    ~Events() {
        for (HANDLE* handle : {&g_wait.wake, &g_wait.checked}) {
            if (*handle != nullptr) CloseHandle(*handle);
            *handle = nullptr;
        }
    }
};

// Null when the clipboard stayed busy and may still hold the password.
const char* OutcomeText(GuardCheck found) {
    switch (found) {
        case GuardCheck::kCleared: return kRemovedText;
        case GuardCheck::kLeftAlone: return kLeftAloneText;
        case GuardCheck::kPending:
        case GuardCheck::kBusy: return nullptr;
    }
    return nullptr;
}

// Until the guard's check is due or has run, someone else's copy has
// replaced the password, Ctrl+C, or the session ends; true for Ctrl+C.
bool WaitForCheck(CopyCountdown& countdown) {
    for (;;) {
        MSG message;
        for (int i = 0; i < kMessagesPerRound && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
             ++i) {
            DispatchMessageW(&message);
        }
        if (g_wait.sessionEnding || LastClipboardCheck() != GuardCheck::kPending) return false;
        if (g_wait.clipboardChanged) {
            const GuardCheck found = NoteClipboardChanged();
            if (found == GuardCheck::kLeftAlone) return false;
            // Busy: looked at again on the next round.
            g_wait.clipboardChanged = found == GuardCheck::kBusy;
        }
        const unsigned long long left = MsUntilClipboardCheck();
        if (left == 0) return false;
        const int seconds = static_cast<int>((left + 999) / 1000);
        ShowSecondsLeft(countdown, seconds);
        const DWORD untilNextSecond = static_cast<DWORD>(left - (seconds - 1) * 1000ULL);
        // MWMO_INPUTAVAILABLE: messages left over from the round count too.
        if (MsgWaitForMultipleObjectsEx(1, &g_wait.wake, untilNextSecond, QS_ALLINPUT,
                                        MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0) {
            return true;
        }
    }
}

}  // namespace

void CopySessionDeleter::operator()(CopySession* session) const {
    if (session->window != nullptr) DestroyWindow(session->window);
    delete session;
}

CopySessionHandle ConnectClipboard(std::string& error) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = CopyWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);
    CopySessionHandle session(new CopySession);
    // Never shown.
    session->window = CreateWindowExW(0, kWindowClass, L"tarnwell-cli", WS_OVERLAPPED, 0, 0, 0, 0,
                                      nullptr, nullptr, windowClass.hInstance, nullptr);
    if (session->window == nullptr) {
        error = std::string("--copy could not make its clipboard window") + kWithoutCopyText;
        return nullptr;
    }
    return session;
}

GuardedCopyResult CopyAndGuard(CopySession& session, Bytes password) {
    std::wstring text(password.begin(), password.end());  // the password is ASCII
    SecureWipeContents(password);
    struct WipeText {
        std::wstring& text;
        ~WipeText() { SecureWipeContents(text); }
    } wipeText{text};
    Events events;
    g_wait.wake = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_wait.checked = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const ConsoleControl control(OnConsoleControl);
    if (g_wait.wake == nullptr || g_wait.checked == nullptr || !control.Installed()) {
        return {1, "could not prepare the wait for the clipboard; nothing was copied."};
    }
    const CopyResult copied =
        CopyToClipboardAndArmGuard(session.window, session.window, text.data(), text.size());
    SecureWipeContents(text);  // the guard keeps its own copy
    switch (copied) {
        case CopyResult::kCopied:
            break;
        case CopyResult::kClipboardBusy:
            return {1, "another program holds the clipboard open; nothing was copied."};
        case CopyResult::kFailed:
            return {1, "could not put the password on the clipboard; nothing was copied."};
    }
    // After the copy, so that only later changes are reported.
    AddClipboardFormatListener(session.window);

    const TerminalOutput terminal;
    CopyCountdown countdown = CountdownOn(terminal);
    const bool interrupted = WaitForCheck(countdown);
    // Run now when its timer has not come yet (a flood of posted messages
    // holds WM_TIMER back), or again, more patiently, after a busy clipboard;
    // otherwise it tells what the check found.
    const GuardCheck found = RunClipboardCheckBeforeExit();
    RemoveClipboardFormatListener(session.window);
    const char* outcome = OutcomeText(found);
    EndCountdown(countdown, outcome);
    if (interrupted) SetEvent(g_wait.checked);
    if (outcome == nullptr) {
        return {1, "the clipboard stayed busy, so the password may still be on it."};
    }
    return {interrupted ? kExitInterrupted : 0, ""};
}
