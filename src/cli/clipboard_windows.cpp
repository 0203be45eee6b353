// --copy in tarnwell-cli.exe: the window program's clipboard guard, on a
// hidden window of this program. A top-level window, not a message-only
// one: once user32 is loaded the console handler no longer hears of logoff
// and shutdown, and only a top-level window gets WM_QUERYENDSESSION and
// WM_ENDSESSION. Windows documents that SetClipboardData fails after
// OpenClipboard(NULL), so the window also owns the clipboard.
#include <windows.h>

#include <cstdio>
#include <string>

#include "cli/clipboard.h"
#include "cli/copy_countdown.h"
#include "ui/clipboard_guard.h"
#include "ui/clipboard_text.h"
#include "ui/win_handles.h"

struct CopySession {
    HWND window = nullptr;
};

namespace {

constexpr wchar_t kWindowClass[] = L"VORKACliCopyClass";
constexpr int kExitInterrupted = 130;  // as a shell reports an end by Ctrl+C
// Messages handled before the wait looks at the deadline and Ctrl+C again:
// any program of the desktop may post to our window, and a flood of posts
// must not hold the clear off.
constexpr int kMessagesPerRound = 64;

// Shared with the window procedure and the console handler's thread; owned
// by this file. The guard itself holds the text it guards.
enum class Held { Password, Other, Busy };

struct WaitState {
    HANDLE wake = nullptr;     // set by the console handler
    HANDLE checked = nullptr;  // set once the check has run after it
    const std::wstring* text = nullptr;
    bool clipboardChanged = false;
    bool sessionEnding = false;
    // What the clipboard held when the guard's own timer came, which may be
    // a moment before the wait's end.
    bool checkStarted = false;
    Held atCheck = Held::Busy;
};
WaitState g_wait;

Held ClipboardHolds(HWND window, const std::wstring& text);

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    // The check runs on the waiting thread, which then ends the process.
    SetEvent(g_wait.wake);
    WaitForSingleObject(g_wait.checked, INFINITE);
    return TRUE;
}

// Before the guard checks: what the clipboard holds decides the last line.
void NoteClipboardBeforeCheck(HWND window) {
    if (g_wait.checkStarted) return;
    g_wait.atCheck = ClipboardHolds(window, *g_wait.text);
    g_wait.checkStarted = true;
}

LRESULT CALLBACK CopyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == ID_CLEAR_CLIPBOARD_TIMER) NoteClipboardBeforeCheck(window);
            if (HandleClipboardGuardTimer(wParam)) return 0;
            break;
        case WM_CLIPBOARDUPDATE:
            g_wait.clipboardChanged = true;
            return 0;
        case WM_QUERYENDSESSION:
            NoteClipboardBeforeCheck(window);
            RunClipboardCheckBeforeExit();
            g_wait.sessionEnding = true;
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) RunClipboardCheckBeforeExit();
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// What the clipboard holds now, compared as the guard compares.
Held ClipboardHolds(HWND window, const std::wstring& text) {
    ClipboardSession clipboard;
    if (!OpenClipboardAsCopyDoes(clipboard, window)) return Held::Busy;
    HANDLE block = GetClipboardData(CF_UNICODETEXT);
    if (block == nullptr) return Held::Other;
    GlobalLockView view(block);
    if (view.Data() == nullptr) return Held::Other;
    return ClipboardTextEquals(static_cast<const wchar_t*>(view.Data()), GlobalSize(block), text)
               ? Held::Password
               : Held::Other;
}

// The countdown goes to the console when there is one, else to standard
// error as plain lines.
struct CountdownOutput {
    HANDLE console = INVALID_HANDLE_VALUE;
    CopyCountdown countdown;
    CountdownOutput() {
        console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
        DWORD mode = 0;
        countdown.inPlace = console != INVALID_HANDLE_VALUE && GetConsoleMode(console, &mode);
        countdown.write = Write;
        countdown.context = this;
    }
    ~CountdownOutput() {
        if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
    }
    CountdownOutput(const CountdownOutput&) = delete;
    CountdownOutput& operator=(const CountdownOutput&) = delete;
    static void Write(void* context, const std::string& text) {
        auto* output = static_cast<CountdownOutput*>(context);
        if (!output->countdown.inPlace && text.find('\r') == std::string::npos) {
            std::fputs(text.c_str(), stderr);
            std::fflush(stderr);
            return;
        }
        const std::wstring wide(text.begin(), text.end());  // ASCII only
        DWORD written = 0;
        WriteConsoleW(output->console, wide.data(), static_cast<DWORD>(wide.size()), &written,
                      nullptr);
    }
};

struct Handles {
    ~Handles() {
        SetConsoleCtrlHandler(OnConsoleControl, FALSE);
        for (HANDLE* handle : {&g_wait.wake, &g_wait.checked}) {
            if (*handle != nullptr) CloseHandle(*handle);
            *handle = nullptr;
        }
        g_wait.text = nullptr;
    }
};

// Null when the clipboard stayed busy and may still hold the password.
const char* OutcomeText(Held before, Held after) {
    if (before == Held::Other) return kLeftAloneText;
    return after == Held::Other ? kRemovedText : nullptr;
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
    Handles handles;
    g_wait.text = &text;
    g_wait.wake = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_wait.checked = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (g_wait.wake == nullptr || g_wait.checked == nullptr ||
        !SetConsoleCtrlHandler(OnConsoleControl, TRUE)) {
        return {1, "could not prepare the wait for the clipboard; nothing was copied."};
    }
    switch (CopyToClipboardAndArmGuard(session.window, session.window, text.data(), text.size())) {
        case CopyResult::kCopied:
            break;
        case CopyResult::kClipboardBusy:
            return {1, "another program holds the clipboard open; nothing was copied."};
        case CopyResult::kFailed:
            return {1, "could not put the password on the clipboard; nothing was copied."};
    }
    // After the copy, so that only later changes are reported.
    AddClipboardFormatListener(session.window);

    CountdownOutput output;
    CopyCountdown& countdown = output.countdown;
    const ULONGLONG deadline = GetTickCount64() + kGuardSeconds * 1000ULL;
    bool interrupted = false;
    for (;;) {
        MSG message;
        for (int i = 0; i < kMessagesPerRound && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
             ++i) {
            DispatchMessageW(&message);
        }
        if (g_wait.sessionEnding) break;
        if (g_wait.clipboardChanged) {
            const Held held = ClipboardHolds(session.window, text);
            if (held == Held::Other) break;
            // Busy: looked at again on the next round.
            g_wait.clipboardChanged = held == Held::Busy;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        const ULONGLONG left = deadline - now;
        const int seconds = static_cast<int>((left + 999) / 1000);
        ShowSecondsLeft(countdown, seconds);
        const DWORD untilNextSecond = static_cast<DWORD>(left - (seconds - 1) * 1000ULL);
        // MWMO_INPUTAVAILABLE: messages left over from the round count too.
        if (MsgWaitForMultipleObjectsEx(1, &g_wait.wake, untilNextSecond, QS_ALLINPUT,
                                        MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0) {
            interrupted = true;
            break;
        }
    }
    const Held before =
        g_wait.checkStarted ? g_wait.atCheck : ClipboardHolds(session.window, text);
    RunClipboardCheckBeforeExit();
    const Held after = before == Held::Other ? Held::Other : ClipboardHolds(session.window, text);
    RemoveClipboardFormatListener(session.window);
    const char* outcome = OutcomeText(before, after);
    EndCountdown(countdown, outcome);
    if (interrupted) SetEvent(g_wait.checked);
    if (outcome == nullptr) {
        return {1, "the clipboard stayed busy, so the password may still be on it."};
    }
    return {interrupted ? kExitInterrupted : 0, ""};
}
