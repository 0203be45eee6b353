#include "password_copy_ways.h"

#include <gtest/gtest.h>

#include "clipboard_access.h"
#include "probe_report.h"
#include "program_driver.h"
#include "queue_sync.h"
#include "wait_until.h"

namespace {

constexpr wchar_t kClipboardBusyText[] = L"The clipboard is in use by another program. Try again.";
constexpr wchar_t kCopyFailedText[] = L"The password could not be put on the clipboard. Try again.";

// A failed Copy: one warning box with `text`, owned by the result window,
// which stays open once the box is closed.
void ExpectFailedCopy(const AppProcess& app, HWND result, HWND box, const wchar_t* text) {
    ASSERT_NE(box, nullptr) << "no box for the failed Copy";
    ExpectMessageBoxAndClose(box, result, text, L"warning");
    SyncWithProgram(app.MainWindow());
    EXPECT_TRUE(IsWindow(result)) << "the result window closed after a failed Copy";
}

// Copy with the edit's own keys: like COPY TO CLIPBOARD, it closes the window.
void CopyWithKeys(const ProgramAtCopy& instance, WORD key) {
    ASSERT_TRUE(ClickToFocus(*instance.app, GetDlgItem(instance.result, kResultEdit)))
        << "the password edit never got the focus";
    ASSERT_TRUE(PressKeys(*instance.app, {VK_CONTROL, key})) << "the keys were not taken";
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(instance.result); }, 10000))
        << "the result window stayed open";
}

// The edit's context menu, opened with the right button and driven by the
// items' access keys: Select All first, since Copy needs a selection.
void CopyWithContextMenu(const ProgramAtCopy& instance) {
    HWND edit = GetDlgItem(instance.result, kResultEdit);
    ASSERT_TRUE(ClickToFocus(*instance.app, edit)) << "the password edit never got the focus";
    auto menuOpen = [&] {
        HWND menu = instance.app->FindTopLevel(L"#32768");
        return menu && IsWindowVisible(menu);
    };
    for (WORD accessKey : {'A', 'C'}) {
        ClickMiddleOf(edit, MouseButton::kRight);
        ASSERT_TRUE(WaitUntil(menuOpen, 5000)) << "no context menu";
        ASSERT_TRUE(PressKeys(*instance.app, {accessKey})) << "the key was not taken";
        ASSERT_TRUE(WaitUntil([&] { return !menuOpen(); }, 5000)) << "the menu stayed open";
    }
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(instance.result); }, 10000))
        << "the result window stayed open";
}

// A first Copy succeeds; a second generation's Copy then meets a clipboard
// held open by another application, and changes nothing: the guard keeps
// guarding the first password.
void CopyThenCopyAgainWhileHeldOpen(const ProgramAtCopy& instance) {
    ASSERT_TRUE(CopyAndWaitForClose(instance.result));
    SyncWithProgram(instance.main);
    EnterVector(instance.main, VectorNamed(kSecondVector));
    HWND second = GenerateAndWaitForResult(*instance.app, 60000);
    ASSERT_NE(second, nullptr);
    const DWORD sequence = GetClipboardSequenceNumber();
    ClipboardHolder holder;
    ASSERT_TRUE(holder.IsOpen());
    PostMessageW(GetDlgItem(second, kCopy), BM_CLICK, 0, 0);
    HWND box = instance.app->WaitForTopLevel(L"#32770", 10000);
    holder.Release();
    ExpectFailedCopy(*instance.app, second, box, kClipboardBusyText);
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "Copy changed a busy clipboard";
    PostMessageW(second, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(second); }, 10000));
}

// The first Copy fails inside the program, with another application's text
// on the clipboard; the second, with the program's calls restored, succeeds.
void CopyAfterAFailure(const ProgramAtCopy& instance, ProbeTopic failure) {
    ASSERT_TRUE(PutTextOnClipboard(kOtherText));
    const DWORD sequence = GetClipboardSequenceNumber();
    ASSERT_EQ(ProbeWindow(instance.main, failure)[L"imports"], L"patched");
    PostMessageW(GetDlgItem(instance.result, kCopy), BM_CLICK, 0, 0);
    HWND box = instance.app->WaitForTopLevel(L"#32770", 10000);
    ExpectFailedCopy(*instance.app, instance.result, box, kCopyFailedText);
    bool hasText = false;
    if (failure == ProbeTopic::kFailGlobalAlloc) {
        // Nothing was touched before the memory was there.
        EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "the user's clipboard was changed";
        EXPECT_EQ(ReadClipboardText(&hasText), kOtherText);
    } else {
        // The password never stays without the formats that keep it out of
        // the clipboard history.
        EXPECT_EQ(CountClipboardFormats(), 0) << ReadClipboardText(&hasText).c_str();
    }
    ASSERT_EQ(ProbeWindow(instance.main, ProbeTopic::kRestoreImports)[L"imports"], L"restored");
    ASSERT_TRUE(CopyAndWaitForClose(instance.result)) << "the second Copy failed too";
}

}  // namespace

void CopyThePassword(AtCopy atCopy, const ProgramAtCopy& instance) {
    switch (atCopy) {
        case AtCopy::kButton:
            ASSERT_TRUE(CopyAndWaitForClose(instance.result)) << "the result window stayed open";
            break;
        case AtCopy::kCtrlC:
            CopyWithKeys(instance, 'C');
            break;
        case AtCopy::kCtrlInsert:
            CopyWithKeys(instance, VK_INSERT);
            break;
        case AtCopy::kContextMenu:
            CopyWithContextMenu(instance);
            break;
        case AtCopy::kSecondCopyWhileHeldOpen:
            CopyThenCopyAgainWhileHeldOpen(instance);
            break;
        case AtCopy::kButtonWithoutMemory:
            CopyAfterAFailure(instance, ProbeTopic::kFailGlobalAlloc);
            break;
        case AtCopy::kButtonWithoutNoHistory:
            CopyAfterAFailure(instance, ProbeTopic::kFailNonTextClipboardData);
            break;
    }
    SyncWithProgram(instance.main);
}
