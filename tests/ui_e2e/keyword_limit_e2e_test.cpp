// The keyword edits' length limit: what a paste past it does, and that a
// keyword over it, set by another program, never reaches a generation.
#include <windows.h>

#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app_process.h"
#include "edit_limit_watch.h"
#include "probe_hook.h"
#include "program_driver.h"

namespace {

constexpr int kLimit = 30000;  // the command-line program's limit too

class KeywordLimit : public StartedProgramTest {
protected:
    // Asked of the edit itself: GetWindowTextLength of another process's
    // window answers from the system's copy of its title.
    LRESULT TextLength(int id) const { return SendMessageW(Item(id), WM_GETTEXTLENGTH, 0, 0); }

    // Pastes as Ctrl+V does, then returns the notice box it opened, or null
    // once the program has handled everything the paste caused.
    HWND PasteInto(int id) {
        SendMessageW(Item(id), WM_PASTE, 0, 0);
        SyncWithProgram(main_);
        return app_.FindMessageBox();
    }
};

// Wine's edits start with a limit of 30000 already, so only the calls the
// program makes can show that the limit is its own (edit_limit_watch.h).
TEST(KeywordLimitAtStart, TheProgramSetsTheLimitOnBothKeywordEditsAndOnNoOtherEdit) {
    EditLimitWatch watch;
    AppProcess app{AppProcess::Suspended{}};
    ASSERT_TRUE(app.Started());
    ASSERT_TRUE(watch.Watch(app.MainThreadId())) << "the hook could not be set";
    ASSERT_TRUE(app.Resume());
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr) << "the main window never appeared";

    std::vector<EditLimitCall> calls;
    ASSERT_TRUE(watch.CallsIn(app.ProcessId(), calls)) << "more calls than the table holds";
    const struct {
        int controlId;
        ULONGLONG limit;
    } expected[] = {{kKeyword1, kLimit}, {kKeyword2, kLimit}};
    ASSERT_EQ(calls.size(), std::size(expected));
    for (std::size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "call #" << i + 1);
        EXPECT_EQ(calls[i].controlId, expected[i].controlId);
        EXPECT_EQ(calls[i].limit, expected[i].limit);
    }
    // And the limit the edits then hold.
    for (int id : {kKeyword1, kKeyword2}) {
        EXPECT_EQ(SendMessageW(GetDlgItem(main, id), EM_GETLIMITTEXT, 0, 0), kLimit)
            << "edit " << id;
    }
}

TEST_F(KeywordLimit, PastePastTheLimitIsToldOncePerEditUntilItIsShorterAgain) {
    ASSERT_TRUE(PutTextOnClipboard(std::wstring(kLimit + 5, L'k')));
    const std::wstring notice1 =
        L"Keyword 1 was cut to 30000 characters, the longest a keyword can be. Check it, or "
        L"use a shorter keyword.";
    const std::wstring notice2 =
        L"Keyword 2 was cut to 30000 characters, the longest a keyword can be. Check it, or "
        L"use a shorter keyword.";
    const struct {
        const char* step;
        int edit;
        bool shortenFirst;
        const std::wstring* notice;  // null: no box
    } steps[] = {
        {"first paste into keyword 1", kKeyword1, false, &notice1},
        {"keyword 1 full, pasted again", kKeyword1, false, nullptr},
        {"keyword 2 has its own notice", kKeyword2, false, &notice2},
        {"keyword 1 shorter, then cut again", kKeyword1, true, &notice1},
        {"and only once again", kKeyword1, false, nullptr},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        if (s.shortenFirst) {
            // Deletes the first character, as the Delete key does.
            SendMessageW(Item(s.edit), EM_SETSEL, 0, 1);
            SendMessageW(Item(s.edit), WM_CLEAR, 0, 0);
            ASSERT_EQ(TextLength(s.edit), kLimit - 1);
        }
        HWND box = PasteInto(s.edit);
        EXPECT_EQ(TextLength(s.edit), kLimit);
        if (!s.notice) {
            EXPECT_EQ(box, nullptr);
            continue;
        }
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(GetWindow(box, GW_OWNER), main_);
        EXPECT_EQ(WindowText(box), kAppTitle);
        EXPECT_EQ(MessageBoxText(box), *s.notice);
        EXPECT_EQ(ProbeWindow(box)[L"icon"], L"warning");
        ASSERT_TRUE(CloseMessageBox(box));
    }
}

// WM_SETTEXT is not bound by the edit's limit.
TEST_F(KeywordLimit, KeywordSetPastTheLimitIsRefusedAtGenerate) {
    const struct {
        int edit;
        const wchar_t* text;
    } cases[] = {
        {kKeyword1, L"Keyword 1 is longer than 30000 characters (UTF-16 units); use a shorter "
                    L"keyword."},
        {kKeyword2, L"Keyword 2 is longer than 30000 characters (UTF-16 units); use a shorter "
                    L"keyword."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "edit " << c.edit);
        SetControlText(Item(kKeyword1), L"alpha");
        SetControlText(Item(kKeyword2), L"beta");
        SetControlText(Item(c.edit), std::wstring(kLimit + 1, L'k'));
        ASSERT_EQ(TextLength(c.edit), kLimit + 1);
        PostMessageW(Item(kGenerate), BM_CLICK, 0, 0);
        HWND box = app_.WaitForTopLevel(L"#32770", 20000);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageBoxText(box), c.text);
        ASSERT_TRUE(CloseMessageBox(box));
        // A generation, had one started, would keep the program busy here
        // until its result window is open.
        SyncWithProgram(main_);
        EXPECT_EQ(app_.FindTopLevel(kResultClass), nullptr);
    }
}

}  // namespace
