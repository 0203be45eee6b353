// The keyword edits hold the master secret: every way of copying or cutting
// from them puts the selection on the clipboard through the guard, they keep
// no undo, and a paste that loses lines says so.
#include <windows.h>

#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "app_process.h"
#include "probe_hook.h"
#include "program_driver.h"

namespace {

constexpr wchar_t kKeyword[] = L"correct horse battery staple";
constexpr wchar_t kBefore[] = L"on the clipboard before";

// How the user copies or cuts.
enum class Way {
    kCtrlC,
    kCtrlX,
    kCtrlInsert,   // Wine's edit copies on it without a WM_COPY
    kShiftDelete,  // and cuts on this without a WM_CUT
    kMenuCopy,     // the edit's context menu: Select All, then Copy
    kMenuCut,      // Select All, then Cut
    kCopyMessage,  // WM_COPY and WM_CUT, as another program may send them
    kCutMessage,
};

struct CopyCase {
    const char* name;
    int edit;
    Way way;
    bool cut;
};

const CopyCase kCopyCases[] = {
    {"Ctrl+C in keyword 1", kKeyword1, Way::kCtrlC, false},
    {"Ctrl+X in keyword 1", kKeyword1, Way::kCtrlX, true},
    {"Ctrl+Insert in keyword 1", kKeyword1, Way::kCtrlInsert, false},
    {"Shift+Delete in keyword 1", kKeyword1, Way::kShiftDelete, true},
    {"Copy on keyword 1's context menu", kKeyword1, Way::kMenuCopy, false},
    {"Cut on keyword 2's context menu", kKeyword2, Way::kMenuCut, true},
    {"Ctrl+X in keyword 2", kKeyword2, Way::kCtrlX, true},
    {"WM_COPY to keyword 2", kKeyword2, Way::kCopyMessage, false},
    {"WM_CUT to keyword 1", kKeyword1, Way::kCutMessage, true},
};

// The selection the keys and messages act on: "horse". The context menu's
// cases select the whole keyword with the menu's own Select All.
constexpr int kSelectionStart = 8;
constexpr int kSelectionEnd = 13;

class KeywordEdit : public StartedProgramTest {
protected:
    void SetUp() override {
        StartedProgramTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(watch_.Watch(main_));
    }

    // A click only when the focus is elsewhere: a click into the edit that
    // has it already would be taken after the test's next message, and
    // another soon after would make a double click that selects a word.
    bool Focus(int id) {
        return app_.FocusWindow() == Item(id) || ClickToFocus(app_, Item(id));
    }

    LRESULT Send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageW(Item(id), message, wParam, lParam);
    }

    // The edit's context menu, opened with the right button and driven by
    // the items' access keys.
    void ChooseFromContextMenu(int id, std::initializer_list<WORD> accessKeys) {
        auto menuOpen = [&] {
            HWND menu = app_.FindTopLevel(L"#32768");
            return menu && IsWindowVisible(menu);
        };
        for (WORD accessKey : accessKeys) {
            ClickMiddleOf(Item(id), MouseButton::kRight);
            ASSERT_TRUE(WaitUntil(menuOpen, 5000)) << "no context menu";
            ASSERT_TRUE(PressKeys(app_, {accessKey})) << "the key was not taken";
            ASSERT_TRUE(WaitUntil([&] { return !menuOpen(); }, 5000)) << "the menu stayed open";
        }
    }

    void CopyAsTheCaseSays(const CopyCase& c) {
        if (c.way != Way::kCopyMessage && c.way != Way::kCutMessage) {
            ASSERT_TRUE(Focus(c.edit)) << "the edit never got the focus";
        }
        // After the click, which moves the caret.
        Send(c.edit, EM_SETSEL, kSelectionStart, kSelectionEnd);
        switch (c.way) {
            case Way::kCtrlC:
                ASSERT_TRUE(PressKeys(app_, {VK_CONTROL, 'C'}));
                break;
            case Way::kCtrlX:
                ASSERT_TRUE(PressKeys(app_, {VK_CONTROL, 'X'}));
                break;
            case Way::kCtrlInsert:
                ASSERT_TRUE(PressKeys(app_, {VK_CONTROL, VK_INSERT}));
                break;
            case Way::kShiftDelete:
                ASSERT_TRUE(PressKeys(app_, {VK_SHIFT, VK_DELETE}));
                break;
            case Way::kMenuCopy:
                ChooseFromContextMenu(c.edit, {'A', 'C'});
                break;
            case Way::kMenuCut:
                ChooseFromContextMenu(c.edit, {'A', 'T'});
                break;
            case Way::kCopyMessage:
                Send(c.edit, WM_COPY);
                break;
            case Way::kCutMessage:
                Send(c.edit, WM_CUT);
                break;
        }
        SyncWithProgram(main_);
    }

    ClipboardTimerWatch watch_;
};

// Each copy is checked by the message its guard's timer would send; that the
// timer comes 30 seconds after a keyword's cut is the real-time test's
// (clipboard_guard_e2e_test.cpp).
TEST_F(KeywordEdit, EveryCopyOrCutPutsTheSelectionOnTheClipboardThroughTheGuard) {
    const std::wstring keyword = kKeyword;
    for (const CopyCase& c : kCopyCases) {
        SCOPED_TRACE(c.name);
        SetControlText(Item(c.edit), keyword);
        ASSERT_TRUE(PutTextOnClipboard(kBefore));
        CopyAsTheCaseSays(c);
        if (HasFatalFailure()) return;

        const bool whole = c.way == Way::kMenuCopy || c.way == Way::kMenuCut;
        const std::wstring selected =
            whole ? keyword : keyword.substr(kSelectionStart, kSelectionEnd - kSelectionStart);
        ExpectGuardedTextOnClipboard(selected);
        std::wstring left = keyword;
        if (c.cut) left.erase(whole ? 0 : kSelectionStart, selected.size());
        EXPECT_EQ(WindowText(Item(c.edit)), left) << (c.cut ? "the cut" : "the copy");

        // The guard's check: the clipboard still holds the copy, so it is
        // emptied.
        const LONG checks = watch_.TimerMessages(main_);
        PostMessageW(main_, WM_TIMER, kClipboardTimerId, 0);
        ASSERT_TRUE(WaitUntil([&] { return watch_.TimerMessages(main_) > checks; }, 10000));
        SyncWithProgram(main_);
        EXPECT_EQ(CountClipboardFormats(), 0) << "the guard did not guard this copy";
        EXPECT_EQ(app_.FindMessageBox(), nullptr);
    }
}

// A cut whose copy cannot be made removes nothing: the keyword would be gone
// from the edit and missing from the clipboard. The user is told, in the box
// that a failed Copy of the password shows.
TEST_F(KeywordEdit, CutThatFindsTheClipboardBusyKeepsTheKeywordAndSaysSo) {
    SetControlText(Item(kKeyword1), kKeyword);
    ASSERT_TRUE(PutTextOnClipboard(kBefore));
    const DWORD sequence = GetClipboardSequenceNumber();
    ClipboardHolder holder;
    ASSERT_TRUE(holder.IsOpen());
    Send(kKeyword1, EM_SETSEL, 0, -1);
    // Posted: the box keeps the program inside the cut until it is closed.
    PostMessageW(Item(kKeyword1), WM_CUT, 0, 0);
    HWND box = app_.WaitForTopLevel(L"#32770", 10000);
    holder.Release();
    ExpectMessageBoxAndClose(box, main_, L"The clipboard is in use by another program. Try again.",
                             L"warning");
    SyncWithProgram(main_);
    EXPECT_EQ(WindowText(Item(kKeyword1)), kKeyword);
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "the cut changed a busy clipboard";
    bool hasText = false;
    EXPECT_EQ(ReadClipboardText(&hasText), kBefore);
}

// Ctrl+Z, the context menu's Undo, or EM_UNDO sent by any program would bring
// back a keyword that the user has just deleted or typed over. The Allowed
// field keeps its undo, which shows that the steps make one.
TEST_F(KeywordEdit, KeepsNoUndoOfADeletedOrOverwrittenKeyword) {
    enum class Change { kSelectAllDelete, kSelectAllTypeOver, kBackspace, kReplaceSelection };
    const struct {
        const char* name;
        int edit;
        Change change;
        const wchar_t* after;
        bool undoKept;
    } cases[] = {
        {"keyword 1, select all and Delete", kKeyword1, Change::kSelectAllDelete, L"", false},
        {"keyword 1, select all and type over", kKeyword1, Change::kSelectAllTypeOver, L"x",
         false},
        {"keyword 2, select all and type over", kKeyword2, Change::kSelectAllTypeOver, L"x",
         false},
        {"keyword 2, Backspace", kKeyword2, Change::kBackspace, L"correct horse battery stapl",
         false},
        {"keyword 1, EM_REPLACESEL that may be undone", kKeyword1, Change::kReplaceSelection,
         L"x", false},
        {"the Allowed field keeps its undo", kAllowed, Change::kSelectAllTypeOver, L"x", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetControlText(Item(c.edit), kKeyword);
        ASSERT_TRUE(Focus(c.edit));
        Send(c.edit, EM_SETSEL, 0, -1);
        switch (c.change) {
            case Change::kSelectAllDelete:
                ASSERT_TRUE(PressKeys(app_, {VK_DELETE}));
                break;
            case Change::kSelectAllTypeOver:
                ASSERT_TRUE(PressKeys(app_, {'X'}));
                break;
            case Change::kBackspace:
                Send(c.edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
                ASSERT_TRUE(PressKeys(app_, {VK_END}));
                ASSERT_TRUE(PressKeys(app_, {VK_BACK}));
                break;
            case Change::kReplaceSelection:
                Send(c.edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"x"));
                break;
        }
        SyncWithProgram(main_);
        ASSERT_EQ(WindowText(Item(c.edit)), c.after);
        EXPECT_EQ(Send(c.edit, EM_CANUNDO) != 0, c.undoKept);

        Send(c.edit, EM_UNDO);
        const std::wstring afterUndo = WindowText(Item(c.edit));
        if (c.undoKept) {
            EXPECT_EQ(afterUndo, kKeyword) << "the control case made no undo";
            continue;
        }
        EXPECT_EQ(afterUndo, c.after) << "EM_UNDO brought text back";
        Send(c.edit, WM_UNDO);
        ASSERT_TRUE(PressKeys(app_, {VK_CONTROL, 'Z'}));
        EXPECT_EQ(WindowText(Item(c.edit)), c.after) << "WM_UNDO or Ctrl+Z brought text back";
    }
}

// A single-line edit keeps the first line of a pasted text and drops the
// rest; the program then says so, once the paste is over. A line ending
// alone is no lost text.
TEST_F(KeywordEdit, PasteThatKeepsOnlyTheFirstLineIsTold) {
    const std::wstring notice1 =
        L"Only the first line of the pasted text was kept in Keyword 1. Check it.";
    const std::wstring notice2 =
        L"Only the first line of the pasted text was kept in Keyword 2. Check it.";
    const struct {
        const char* name;
        int edit;
        const wchar_t* pasted;
        bool withKeys;  // Shift+Insert, which Wine's edit pastes on without WM_PASTE
        const std::wstring* notice;  // null: no box
    } cases[] = {
        {"two lines into keyword 1", kKeyword1, L"correct horse\r\nbattery staple", false,
         &notice1},
        {"two lines, LF only, into keyword 2", kKeyword2, L"correct horse\nbattery staple", false,
         &notice2},
        {"Shift+Insert of two lines", kKeyword1, L"correct horse\r\nbattery staple", true,
         &notice1},
        {"one line with its line ending", kKeyword1, L"correct horse\r\n", false, nullptr},
        {"one line", kKeyword2, L"correct horse", false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetControlText(Item(c.edit), L"");
        ASSERT_TRUE(PutTextOnClipboard(c.pasted));
        if (c.withKeys) {
            ASSERT_TRUE(Focus(c.edit));
            ASSERT_TRUE(PressKeys(app_, {VK_SHIFT, VK_INSERT}));
        } else {
            Send(c.edit, WM_PASTE);
        }
        SyncWithProgram(main_);
        EXPECT_EQ(WindowText(Item(c.edit)), L"correct horse");
        HWND box = app_.FindMessageBox();
        if (!c.notice) {
            EXPECT_EQ(box, nullptr);
            continue;
        }
        ExpectMessageBoxAndClose(box, main_, c.notice->c_str(), L"warning");
    }
}

}  // namespace
