// The clipboard guard in real time. Three instances of the program share the
// one clipboard, and their 30-second waits overlap:
//   tk        instance K cuts its keyword 1; for K, everything after is
//             someone else's copy
//   t0        instance A copies its password; right after, instance B, for
//             A someone else, copies its first password (t1)
//   t1 + 10   B copies a second password (t2)
//   tk + 30   K's check; B's password is still there afterwards
//   t0 + 30   A's check; B's password is still there afterwards
//   t2 + 28   another program (the test) takes the clipboard and holds it
//   t2 + 30   B's one check finds it busy; none came at t1 + 30
//   t2 + 44   the clipboard is let go; B's next retry empties it
// The test does not touch the clipboard while a program copies or checks,
// but for the hold: holding it open at that moment would make the program
// wait. It learns when a check has run, and how often it was retried, from
// the timer watch of probe_hook.h.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app_process.h"
#include "probe_hook.h"
#include "program_driver.h"
#include "x_clipboard.h"

namespace {

constexpr ULONGLONG kGuardDelayMs = 30000;

std::wstring ClipboardText(bool* hasText) { return ReadClipboardText(hasText); }

// Clicks COPY TO CLIPBOARD, waits for Copy to end (it closes the window),
// then for the text to reach the clipboard, and returns the moment of the
// click, which is when the program arms its timer.
bool WaitForClipboardText(const std::wstring& expected) {
    return WaitUntil(
        [&] {
            bool hasText = false;
            return ClipboardText(&hasText) == expected;
        },
        10000);
}

ULONGLONG CopyAndWaitForClipboard(HWND resultWindow, const std::wstring& expected) {
    const ULONGLONG clickedAt = GetTickCount64();
    PostMessageW(GetDlgItem(resultWindow, kCopy), BM_CLICK, 0, 0);
    if (!WaitUntil([&] { return !IsWindow(resultWindow); }, 10000)) return 0;
    return WaitForClipboardText(expected) ? clickedAt : 0;
}

// Waits for the program's clipboard check and for its end; returns when the
// check's timer message was seen, or 0.
ULONGLONG WaitForCheck(const ClipboardTimerWatch& watch, HWND main) {
    if (!WaitUntil([&] { return watch.TimerMessages(main) > 0; },
                   static_cast<DWORD>(kGuardDelayMs + 8000))) {
        return 0;
    }
    const ULONGLONG seenAt = GetTickCount64();
    SyncWithProgram(main);
    return seenAt;
}

// K's keyword, cut whole from its edit.
constexpr wchar_t kKeyword[] = L"correct horse battery staple";
// When the test holds the clipboard, counted from B's second copy, and the
// program's retries while it is busy: every 250 ms for 10 s, then every 2 s.
constexpr ULONGLONG kHoldFromMs = 28000;
constexpr ULONGLONG kHoldUntilMs = 44000;
constexpr ULONGLONG kSlowRetryIntervalMs = 2000;

void SleepUntil(ULONGLONG moment) {
    const ULONGLONG now = GetTickCount64();
    if (now < moment) Sleep(static_cast<DWORD>(moment - now));
}

// Cuts the whole of keyword 1 as the edit's own WM_CUT does, and returns the
// moment of the cut once the keyword is on the clipboard, or 0.
ULONGLONG CutKeywordAndWaitForClipboard(HWND main) {
    HWND edit = GetDlgItem(main, kKeyword1);
    SetControlText(edit, kKeyword);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    const ULONGLONG cutAt = GetTickCount64();
    SendMessageW(edit, WM_CUT, 0, 0);
    return WaitForClipboardText(kKeyword) ? cutAt : 0;
}

TEST(ClipboardGuard, EmptiesOnlyItsOwnTextThirtySecondsAfterTheLastCopy) {
    AppProcess a;
    AppProcess b;
    AppProcess k;
    HWND mainA = a.WaitForMainWindow();
    HWND mainB = b.WaitForMainWindow();
    HWND mainK = k.WaitForMainWindow();
    ASSERT_NE(mainA, nullptr);
    ASSERT_NE(mainB, nullptr);
    ASSERT_NE(mainK, nullptr);
    EnterVector(mainA, VectorNamed("default"));
    EnterVector(mainB, VectorNamed("swapped"));
    // Both generations run at once.
    PostMessageW(GetDlgItem(mainA, kGenerate), BM_CLICK, 0, 0);
    HWND resultB = GenerateAndWaitForResult(b);
    HWND resultA = a.WaitForTopLevel(kResultClass, 180000);
    ASSERT_NE(resultA, nullptr);
    ASSERT_NE(resultB, nullptr);
    ClipboardTimerWatch watch;
    ASSERT_TRUE(watch.Watch(mainA));
    ASSERT_TRUE(watch.Watch(mainB));
    ASSERT_TRUE(watch.Watch(mainK));

    // A cut keyword is guarded like a password, and leaves the edit.
    const ULONGLONG tk = CutKeywordAndWaitForClipboard(mainK);
    ASSERT_NE(tk, 0u) << "the keyword never reached the clipboard";
    ExpectGuardedTextOnClipboard(kKeyword);
    EXPECT_EQ(WindowText(GetDlgItem(mainK, kKeyword1)), L"");

    // Copy puts the password on the clipboard as text and closes the window.
    const ULONGLONG t0 = CopyAndWaitForClipboard(resultA, VectorPassword(VectorNamed("default")));
    ASSERT_NE(t0, 0u) << "the password never reached the clipboard";
    EXPECT_FALSE(IsWindow(resultA));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    bool hasText = false;
    SyncWithProgram(mainA);
    EXPECT_TRUE(IsWindowEnabled(mainA));

    // B: two copies ten seconds apart; one check, against the second. The
    // ten seconds are real: they are what tells its two checks apart.
    const ULONGLONG t1 = CopyAndWaitForClipboard(resultB, VectorPassword(VectorNamed("swapped")));
    ASSERT_NE(t1, 0u);
    EnterVector(mainB, VectorNamed("non-ascii"));
    HWND secondResultB = GenerateAndWaitForResult(b);
    ASSERT_NE(secondResultB, nullptr);
    SleepUntil(t1 + 10000);
    const std::wstring lastPassword = VectorPassword(VectorNamed("non-ascii"));
    const ULONGLONG t2 = CopyAndWaitForClipboard(secondResultB, lastPassword);
    ASSERT_NE(t2, 0u);
    ASSERT_LT(t2 - tk, kGuardDelayMs - 5000) << "the copies took too long to come before K's check";

    const ULONGLONG checkedK = WaitForCheck(watch, mainK);
    ASSERT_NE(checkedK, 0u) << "K's check never came";
    EXPECT_GE(checkedK - tk, kGuardDelayMs - 500);
    EXPECT_EQ(ClipboardText(&hasText), lastPassword) << "K's check removed someone else's text";

    const ULONGLONG checkedA = WaitForCheck(watch, mainA);
    ASSERT_NE(checkedA, 0u) << "A's check never came";
    EXPECT_GE(checkedA - t0, kGuardDelayMs - 500);
    EXPECT_EQ(ClipboardText(&hasText), lastPassword) << "A's check removed someone else's text";

    // B's check meets a clipboard that another program holds from 2 s before
    // it until 14 s after: past the ten seconds of quick retries.
    SleepUntil(t2 + kHoldFromMs);
    ASSERT_EQ(watch.TimerMessages(mainB), 0) << "B's check came before the hold";
    ClipboardHolder holder;
    ASSERT_TRUE(holder.IsOpen());
    const ULONGLONG checkedB = WaitForCheck(watch, mainB);
    ASSERT_NE(checkedB, 0u) << "B's check never came";
    SleepUntil(t2 + kHoldUntilMs);
    const LONG retriesWhileHeld = watch.RetryMessages(mainB);
    EXPECT_GT(CountClipboardFormats(), 0) << "the clipboard was emptied while it was held";
    holder.Release();
    const ULONGLONG releasedAt = GetTickCount64();
    EXPECT_TRUE(WaitUntil([] { return CountClipboardFormats() == 0; },
                          static_cast<DWORD>(kSlowRetryIntervalMs + 3000)))
        << "the clipboard was not emptied once it was free";
    const ULONGLONG emptiedAt = GetTickCount64();
    SyncWithProgram(mainB);
    const LONG retriesWhenEmptied = watch.RetryMessages(mainB);
    ClipboardText(&hasText);
    EXPECT_FALSE(hasText) << "the clipboard still holds the password";
    // Emptied as a whole: the formats that came with the text are gone too.
    EXPECT_EQ(CountClipboardFormats(), 0);
    EXPECT_GE(checkedB - t2, kGuardDelayMs - 500)
        << "checked " << (checkedB - t1) << " ms after the first copy, "
        << (checkedB - t2) << " ms after the second";
    EXPECT_LE(checkedB - t2, kGuardDelayMs + 5000);
    // About 40 quick retries in the first ten seconds, then one every two
    // seconds; without the slower pace there would be over 50.
    EXPECT_GE(retriesWhileHeld, 20) << "the busy clipboard was hardly retried";
    EXPECT_LE(retriesWhileHeld, 48) << "the retries never slowed down";
    EXPECT_LE(emptiedAt - releasedAt, kSlowRetryIntervalMs + 3000);
    EXPECT_EQ(watch.TimerMessages(mainA), 1);
    EXPECT_EQ(watch.TimerMessages(mainB), 1) << "one check for two copies";
    EXPECT_EQ(watch.TimerMessages(mainK), 1);
    // The guard ended with the check that emptied the clipboard: no retry
    // comes in the time that one would.
    SleepUntil(emptiedAt + kSlowRetryIntervalMs + 500);
    SyncWithProgram(mainB);
    EXPECT_EQ(watch.RetryMessages(mainB), retriesWhenEmptied) << "the retries went on";
}

// Copy puts the text first, as before, and with it the registered formats
// that ask Windows to keep the content out of its clipboard history and
// cloud clipboard, each a DWORD 0, and the hint that Linux clipboard
// managers honour, the six bytes "secret" with no terminating zero.
TEST(ClipboardGuard, CopyKeepsThePasswordOutOfClipboardHistoriesAndCloudSync) {
    AppProcess app;
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    const std::wstring password = VectorPassword(VectorNamed("default"));
    EnterVector(main, VectorNamed("default"));
    HWND result = GenerateAndWaitForResult(app);
    ASSERT_NE(result, nullptr);
    ASSERT_TRUE(CopyAndWaitForClose(result));
    SyncWithProgram(main);

    ASSERT_TRUE(OpenClipboardWhenFree());
    std::vector<UINT> formats;
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
        formats.push_back(format);
    }
    ASSERT_FALSE(formats.empty());
    EXPECT_EQ(formats[0], static_cast<UINT>(CF_UNICODETEXT)) << "the text is no longer first";
    HANDLE text = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(text, nullptr);
    // GlobalSize may count more than the program asked for: Windows documents
    // that it rounds up (Wine does not), so only the least is ours to check.
    ASSERT_GE(GlobalSize(text), (password.size() + 1) * sizeof(wchar_t));
    if (const auto* units = static_cast<const wchar_t*>(GlobalLock(text))) {
        EXPECT_EQ(std::wstring(units, password.size() + 1), password + L'\0');
        GlobalUnlock(text);
    }
    const std::string zero(sizeof(DWORD), '\0');
    const struct {
        const wchar_t* name;
        std::string bytes;
    } marks[] = {
        {L"ExcludeClipboardContentFromMonitorProcessing", zero},
        {L"CanIncludeInClipboardHistory", zero},
        {L"CanUploadToCloudClipboard", zero},
        {L"x-kde-passwordManagerHint", "secret"},
    };
    for (const auto& mark : marks) {
        SCOPED_TRACE(testing::Message() << mark.name);
        HANDLE block = GetClipboardData(RegisterClipboardFormatW(mark.name));
        ASSERT_NE(block, nullptr) << "the format is missing";
        ASSERT_GE(GlobalSize(block), mark.bytes.size());
        if (const void* data = GlobalLock(block)) {
            EXPECT_EQ(std::string(static_cast<const char*>(data), mark.bytes.size()), mark.bytes);
            GlobalUnlock(block);
        }
    }
    CloseClipboard();

    // The same seen from X, as a Linux clipboard manager sees it, once X has
    // the text: Wine hands the clipboard to X a moment after each change.
    const std::string passwordUtf8 = WideToUtf8(password);
    EXPECT_TRUE(WaitUntil([&] { return ReadXClipboardTarget("UTF8_STRING").data == passwordUtf8; },
                          10000))
        << "X never got the password (is xclip installed? scripts/install-deps.sh)";
    const std::vector<std::string> targets = XClipboardTargets();
    EXPECT_NE(std::find(targets.begin(), targets.end(), "x-kde-passwordManagerHint"),
              targets.end())
        << "TARGETS: " << testing::PrintToString(targets);
    const XClipboardRead hint = ReadXClipboardTarget("x-kde-passwordManagerHint");
    EXPECT_TRUE(hint.ran);
    EXPECT_EQ(hint.exitCode, 0);
    EXPECT_EQ(hint.data, "secret") << "exactly six bytes, no terminating zero";
    // Leave no password behind for the tests that follow.
    PutTextOnClipboard(L"after the history formats test");
}

// Quitting while the guard is armed runs its check at once. Under Wine a
// program's own clipboard data goes with its process, so the test first takes
// the clipboard over with the same text: after that, only the program's
// check can remove it. Someone else's text survives the same quit. A
// clipboard that another program holds all the while is tried for three
// seconds, and then the program ends all the same, leaving the password: the
// one case the guard cannot cover.
enum class Quit { kFileExit, kCloseBox, kEndSession };

struct QuitCase {
    const char* name;
    const char* vector;
    Quit quit;
    bool samePassword;  // else someone else's text is on the clipboard
    bool heldBusy;      // another program holds the clipboard across the quit
};

const QuitCase kQuitCases[] = {
    {"File > Exit", "default", Quit::kFileExit, true, false},
    {"the close box", "swapped", Quit::kCloseBox, true, false},
    {"Windows ends the session", "boundary-moved", Quit::kEndSession, true, false},
    {"File > Exit, someone else's text", "spaces-kept", Quit::kFileExit, false, false},
    {"File > Exit, clipboard held by another program", "shortest", Quit::kFileExit, true, true},
};
constexpr ULONGLONG kExitTryMs = 3000;

// Ends the program as the case says; Windows ends a process soon after
// WM_ENDSESSION without destroying its windows, so the clipboard is judged
// before the test closes it.
void QuitAsTheCaseSays(AppProcess& app, Quit quit) {
    HWND main = app.MainWindow();
    DWORD_PTR answer = 0;
    switch (quit) {
        case Quit::kFileExit:
            PostMessageW(main, WM_COMMAND, MAKEWPARAM(kMenuExit, 0), 0);
            break;
        case Quit::kCloseBox:
            PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case Quit::kEndSession:
            SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000,
                                &answer);
            EXPECT_NE(answer, 0u) << "the program refused to let the session end";
            SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000,
                                &answer);
            return;
    }
    DWORD exitCode = 99;
    EXPECT_TRUE(app.WaitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

TEST(ClipboardGuard, QuittingWithTheGuardArmedClearsOnlyItsOwnText) {
    std::vector<std::unique_ptr<AppProcess>> apps;
    for (const QuitCase& c : kQuitCases) {
        apps.push_back(std::make_unique<AppProcess>());
        HWND main = apps.back()->WaitForMainWindow();
        ASSERT_NE(main, nullptr) << c.name;
        EnterVector(main, VectorNamed(c.vector));
        PostMessageW(GetDlgItem(main, kGenerate), BM_CLICK, 0, 0);
    }
    for (std::size_t i = 0; i < apps.size(); ++i) {
        const QuitCase& c = kQuitCases[i];
        SCOPED_TRACE(c.name);
        AppProcess& app = *apps[i];
        HWND result = app.WaitForTopLevel(kResultClass, 60000);
        ASSERT_NE(result, nullptr);
        const std::wstring password = VectorPassword(VectorNamed(c.vector));
        ASSERT_NE(CopyAndWaitForClipboard(result, password), 0u);
        SyncWithProgram(app.MainWindow());
        const std::wstring otherText = L"copied by someone else";
        ASSERT_TRUE(PutTextOnClipboard(c.samePassword ? password : otherText));

        std::unique_ptr<ClipboardHolder> holder(c.heldBusy ? new ClipboardHolder : nullptr);
        if (holder) {
            ASSERT_TRUE(holder->IsOpen());
        }
        const ULONGLONG quitAt = GetTickCount64();
        QuitAsTheCaseSays(app, c.quit);
        const ULONGLONG quitTook = GetTickCount64() - quitAt;
        bool hasText = false;
        if (holder) {
            EXPECT_GE(quitTook, kExitTryMs - 500) << "the program did not wait for the clipboard";
            EXPECT_LE(quitTook, kExitTryMs + 5000) << "the program did not end in time";
            holder->Release();
            EXPECT_EQ(ClipboardText(&hasText), password);
            continue;
        }
        const std::wstring left = ClipboardText(&hasText);
        if (c.samePassword) {
            EXPECT_FALSE(hasText) << "the password is still on the clipboard";
            EXPECT_EQ(CountClipboardFormats(), 0);
        } else {
            EXPECT_EQ(left, otherText) << "someone else's text was removed";
        }
    }
}

}  // namespace
