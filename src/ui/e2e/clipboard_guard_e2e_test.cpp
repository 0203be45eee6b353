// The clipboard guard in real time. Two instances of the program share the
// one clipboard, and their 30-second waits overlap:
//   t0        instance A copies its password; the test then copies other text
//   t0 + 34   the other text is still there (A's check left it alone);
//             instance B copies its first password (t1)
//   t1 + 10   B copies a second password (t2)
//   t2 + 30   the clipboard is emptied, once, and not already at t1 + 30
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app_process.h"
#include "program_driver.h"

namespace {

constexpr ULONGLONG kGuardDelayMs = 30000;

std::wstring ClipboardText(bool* hasText) { return ReadClipboardText(hasText); }

// Clicks COPY TO CLIPBOARD, waits for the text to reach the clipboard and
// returns the moment of the click, which is when the program arms its timer;
// the test sees the new content only some milliseconds later.
ULONGLONG CopyAndWaitForClipboard(HWND resultWindow, const std::wstring& expected) {
    const ULONGLONG clickedAt = GetTickCount64();
    PostMessageW(GetDlgItem(resultWindow, kCopy), BM_CLICK, 0, 0);
    const bool arrived = WaitUntil(
        [&] {
            bool hasText = false;
            return ClipboardText(&hasText) == expected;
        },
        10000);
    WaitUntil([&] { return !IsWindow(resultWindow); }, 10000);
    return arrived ? clickedAt : 0;
}

TEST(ClipboardGuard, EmptiesOnlyItsOwnTextThirtySecondsAfterTheLastCopy) {
    AppProcess a;
    AppProcess b;
    HWND mainA = a.WaitForMainWindow();
    HWND mainB = b.WaitForMainWindow();
    ASSERT_NE(mainA, nullptr);
    ASSERT_NE(mainB, nullptr);
    EnterVector(mainA, VectorNamed("default"));
    EnterVector(mainB, VectorNamed("swapped"));
    // Both generations run at once.
    PostMessageW(GetDlgItem(mainA, kGenerate), BM_CLICK, 0, 0);
    HWND resultB = GenerateAndWaitForResult(b);
    HWND resultA = a.WaitForTopLevel(kResultClass, 180000);
    ASSERT_NE(resultA, nullptr);
    ASSERT_NE(resultB, nullptr);

    // Copy puts the password on the clipboard as text and closes the window.
    const ULONGLONG t0 = CopyAndWaitForClipboard(resultA, VectorPassword(VectorNamed("default")));
    ASSERT_NE(t0, 0u) << "the password never reached the clipboard";
    EXPECT_FALSE(IsWindow(resultA));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    bool hasText = false;
    SyncWithProgram(mainA);
    EXPECT_TRUE(IsWindowEnabled(mainA));

    const std::wstring otherText = L"copied by someone else";
    ASSERT_TRUE(PutTextOnClipboard(otherText));
    Sleep(static_cast<DWORD>(t0 + kGuardDelayMs + 4000 - GetTickCount64()));
    EXPECT_EQ(ClipboardText(&hasText), otherText) << "A's check removed someone else's text";

    // B: two copies ten seconds apart; one check, against the second.
    const ULONGLONG t1 = CopyAndWaitForClipboard(resultB, VectorPassword(VectorNamed("swapped")));
    ASSERT_NE(t1, 0u);
    EnterVector(mainB, VectorNamed("non-ascii"));
    HWND secondResultB = GenerateAndWaitForResult(b);
    ASSERT_NE(secondResultB, nullptr);
    const ULONGLONG elapsed = GetTickCount64() - t1;
    if (elapsed < 10000) Sleep(static_cast<DWORD>(10000 - elapsed));
    const ULONGLONG t2 =
        CopyAndWaitForClipboard(secondResultB, VectorPassword(VectorNamed("non-ascii")));
    ASSERT_NE(t2, 0u);

    // Watch the clipboard until it is emptied.
    ULONGLONG emptiedAt = 0;
    WaitUntil(
        [&] {
            ClipboardText(&hasText);
            if (!hasText) emptiedAt = GetTickCount64();
            return !hasText;
        },
        static_cast<DWORD>(kGuardDelayMs + 8000));
    ASSERT_NE(emptiedAt, 0u) << "the clipboard still holds the password";
    // Emptied as a whole: the formats that came with the text are gone too.
    EXPECT_EQ(CountClipboardFormats(), 0);
    EXPECT_GE(emptiedAt - t2, kGuardDelayMs - 500)
        << "emptied " << (emptiedAt - t1) << " ms after the first copy, "
        << (emptiedAt - t2) << " ms after the second";
    // The emptied clipboard, too, is seen a little late.
    EXPECT_LE(emptiedAt - t2, kGuardDelayMs + 5000);
}

// Copy puts the text first, as before, and with it the registered formats
// that ask Windows to keep the content out of its clipboard history and
// cloud clipboard, each a DWORD 0.
TEST(ClipboardGuard, CopyKeepsThePasswordOutOfClipboardHistoryAndCloudSync) {
    AppProcess app;
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    const std::wstring password = VectorPassword(VectorNamed("default"));
    EnterVector(main, VectorNamed("default"));
    HWND result = GenerateAndWaitForResult(app);
    ASSERT_NE(result, nullptr);
    ASSERT_TRUE(CopyAndWaitForClose(result));
    SyncWithProgram(main);

    ASSERT_TRUE(WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2000));
    std::vector<UINT> formats;
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
        formats.push_back(format);
    }
    ASSERT_FALSE(formats.empty());
    EXPECT_EQ(formats[0], static_cast<UINT>(CF_UNICODETEXT)) << "the text is no longer first";
    HANDLE text = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(GlobalSize(text), (password.size() + 1) * sizeof(wchar_t));
    if (const auto* units = static_cast<const wchar_t*>(GlobalLock(text))) {
        EXPECT_EQ(std::wstring(units, password.size() + 1), password + L'\0');
        GlobalUnlock(text);
    }
    for (const wchar_t* name : {L"ExcludeClipboardContentFromMonitorProcessing",
                                L"CanIncludeInClipboardHistory", L"CanUploadToCloudClipboard"}) {
        SCOPED_TRACE(testing::Message() << name);
        HANDLE block = GetClipboardData(RegisterClipboardFormatW(name));
        ASSERT_NE(block, nullptr) << "the format is missing";
        EXPECT_EQ(GlobalSize(block), sizeof(DWORD));
        if (const void* data = GlobalLock(block)) {
            DWORD value = 1;
            std::memcpy(&value, data, sizeof(value));
            EXPECT_EQ(value, 0u);
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    // Leave no password behind for the tests that follow.
    PutTextOnClipboard(L"after the history formats test");
}

}  // namespace
