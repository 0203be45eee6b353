// The guard tells its caller what its check found, on a real clipboard (under
// Wine, the X clipboard of the test's display): the text taken off when it
// was still there, the clipboard left alone once someone else copied, a
// reader that put the same text back still cleared, and a clipboard held open
// by another thread past the check reported as busy, never as cleared.
#include "clipboard/clipboard_guard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <thread>

#include "clipboard/clipboard_policy.h"
#include "platform/win_handles.h"

namespace {

constexpr wchar_t kPassword[] = L"-FcmvR8FoPsu";

struct TestWindow {
    HWND handle = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ~TestWindow() { DestroyWindow(handle); }
};

// Another program's copy, made by `owner` with the clipboard opened as a
// user's program would, retried while Wine's clipboard manager holds it.
void CopyAsSomeoneElse(HWND owner, const std::wstring& text) {
    ClipboardSession clipboard;
    for (int attempt = 0; attempt < 40 && !clipboard.IsOpen(); ++attempt) {
        if (attempt > 0) Sleep(50);
        clipboard.TryOpen(owner);
    }
    ASSERT_TRUE(clipboard.IsOpen());
    GlobalBlock block(GMEM_MOVEABLE | GMEM_ZEROINIT, (text.size() + 1) * sizeof(wchar_t));
    {
        GlobalLockView view(block.Get());
        ASSERT_NE(view.Data(), nullptr);
        std::memcpy(view.Data(), text.data(), text.size() * sizeof(wchar_t));
    }
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_NE(SetClipboardData(CF_UNICODETEXT, block.Get()), nullptr);
    block.Release();
}

// The clipboard's text now, or "(none)".
std::wstring ClipboardText(HWND owner) {
    ClipboardSession clipboard;
    for (int attempt = 0; attempt < 40 && !clipboard.IsOpen(); ++attempt) {
        if (attempt > 0) Sleep(50);
        clipboard.TryOpen(owner);
    }
    if (!clipboard.IsOpen()) return L"(busy)";
    HANDLE block = GetClipboardData(CF_UNICODETEXT);
    if (block == nullptr) return L"(none)";
    GlobalLockView view(block);
    return view.Data() ? std::wstring(static_cast<const wchar_t*>(view.Data())) : L"(none)";
}

class ClipboardGuardTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CopyToClipboardAndArmGuard(ours.handle, ours.handle, kPassword,
                                             std::wcslen(kPassword)),
                  CopyResult::kCopied);
        ASSERT_EQ(LastClipboardCheck(), GuardCheck::kPending);
        const unsigned long long left = MsUntilClipboardCheck();
        EXPECT_GT(left, (kGuardSeconds - 5) * 1000ULL);
        EXPECT_LE(left, kGuardSeconds * 1000ULL);
    }
    TestWindow ours, theirs;
};

TEST_F(ClipboardGuardTest, TakesItsTextOffAndSaysSo) {
    EXPECT_EQ(RunClipboardCheckBeforeExit(), GuardCheck::kCleared);
    EXPECT_EQ(LastClipboardCheck(), GuardCheck::kCleared);
    EXPECT_EQ(MsUntilClipboardCheck(), 0u);
    EXPECT_EQ(ClipboardText(theirs.handle), L"(none)");
}

TEST_F(ClipboardGuardTest, LeavesSomeoneElsesCopyAloneAndSaysSo) {
    CopyAsSomeoneElse(theirs.handle, L"their text");
    EXPECT_EQ(NoteClipboardChanged(), GuardCheck::kLeftAlone);
    // Nothing is left to guard: a later check changes nothing.
    EXPECT_EQ(MsUntilClipboardCheck(), 0u);
    EXPECT_EQ(RunClipboardCheckBeforeExit(), GuardCheck::kLeftAlone);
    EXPECT_EQ(ClipboardText(theirs.handle), L"their text");
}

TEST_F(ClipboardGuardTest, StillClearsTheSameTextPutBackByAReader) {
    CopyAsSomeoneElse(theirs.handle, kPassword);
    EXPECT_EQ(NoteClipboardChanged(), GuardCheck::kPending);
    EXPECT_EQ(RunClipboardCheckBeforeExit(), GuardCheck::kCleared);
    EXPECT_EQ(ClipboardText(theirs.handle), L"(none)");
}

TEST_F(ClipboardGuardTest, AClipboardHeldOpenPastTheCheckIsBusyNotCleared) {
    HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        TestWindow window;
        ClipboardSession clipboard;
        for (int attempt = 0; attempt < 40 && !clipboard.IsOpen(); ++attempt) {
            if (attempt > 0) Sleep(50);
            clipboard.TryOpen(window.handle);
        }
        SetEvent(opened);
        WaitForSingleObject(release, 10000);
    });
    WaitForSingleObject(opened, 10000);
    const GuardCheck found = RunClipboardCheckBeforeExit();
    SetEvent(release);
    holder.join();
    CloseHandle(opened);
    CloseHandle(release);
    EXPECT_EQ(found, GuardCheck::kBusy);
    // The text may still be there; the test takes it off itself.
    CopyAsSomeoneElse(theirs.handle, L"");
}

}  // namespace
