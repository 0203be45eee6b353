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
// the timer watch of clipboard_timer_watch.h.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "app_process.h"
#include "clipboard_access.h"
#include "clipboard_timer_watch.h"
#include "program_driver.h"
#include "queue_sync.h"
#include "wait_until.h"
#include "window_reading.h"

namespace {

constexpr ULONGLONG kGuardDelayMs = 30000;

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
    EXPECT_EQ(ReadClipboardText(&hasText), lastPassword) << "K's check removed someone else's text";

    const ULONGLONG checkedA = WaitForCheck(watch, mainA);
    ASSERT_NE(checkedA, 0u) << "A's check never came";
    EXPECT_GE(checkedA - t0, kGuardDelayMs - 500);
    EXPECT_EQ(ReadClipboardText(&hasText), lastPassword) << "A's check removed someone else's text";

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
    ReadClipboardText(&hasText);
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

}  // namespace
