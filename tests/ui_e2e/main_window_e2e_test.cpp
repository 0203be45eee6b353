// The main window as a user sees it: its frame, menu, controls and fonts,
// and how the controls behave before any generation.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app_process.h"
#include "probe_report.h"
#include "program_driver.h"
#include "queue_sync.h"
#include "screenshot.h"
#include "wait_until.h"
#include "window_reading.h"

namespace {

constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE;
constexpr DWORD kEdit = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kCheckBox = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;

struct ExpectedControl {
    const wchar_t* className;  // as GetClassName reports it
    const wchar_t* text;
    DWORD exStyle;
    DWORD style;
    RECT rect;  // client coordinates of the main window
    int id;
    bool uiFont;
};

// In creation order, which is also the Z order.
const ExpectedControl kMainControls[] = {
    {L"Static", L"Keyword 1", 0, kLabel, {12, 12, 212, 30}, kKeyword1Label, true},
    {L"Edit", L"", WS_EX_CLIENTEDGE, kEdit, {12, 30, 512, 53}, kKeyword1, true},
    {L"Static", L"Keyword 2", 0, kLabel, {12, 65, 212, 83}, kKeyword2Label, true},
    {L"Edit", L"", WS_EX_CLIENTEDGE, kEdit, {11, 83, 511, 106}, kKeyword2, true},
    {L"Static", L"Password Length : 12", 0, kLabel, {12, 131, 492, 149}, kLengthLabel, true},
    {L"msctls_trackbar32", L"", 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_AUTOTICKS,
     {12, 163, 494, 208}, kLength, false},
    {L"Button", L"Numbers", 0, kCheckBox, {12, 227, 97, 246}, kNumbers, true},
    {L"Button", L"Uppercase", 0, kCheckBox, {105, 227, 195, 246}, kUppercase, true},
    {L"Button", L"Lowercase", 0, kCheckBox, {201, 227, 291, 246}, kLowercase, true},
    {L"Button", L"Symbols", 0, kCheckBox, {300, 227, 380, 246}, kSymbols, true},
    {L"Static", L"Allowed :", 0, kLabel, {12, 253, 74, 271}, kAllowedLabel, true},
    {L"Edit", L"!@#$%*-_", WS_EX_CLIENTEDGE, kEdit, {78, 250, 512, 273}, kAllowed, true},
    {L"Button", L"GENERATE PASSWORD", 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP,
     {12, 286, 512, 326}, kGenerate, true},
};

// The limit of a new edit on this system, read from one of the test's own.
LRESULT StartingEditLimit() {
    HWND edit = CreateWindowExW(0, L"Edit", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    const LRESULT limit = edit ? SendMessageW(edit, EM_GETLIMITTEXT, 0, 0) : 0;
    if (edit) DestroyWindow(edit);
    return limit;
}

class MainWindow : public StartedProgramTest {
protected:
    bool ResultWindowOpen() const { return app_.FindTopLevel(kResultClass) != nullptr; }
};

TEST_F(MainWindow, FrameIsCentredWithTheFixedClientSize) {
    EXPECT_EQ(WindowText(main_), kAppTitle);
    EXPECT_EQ(ClassNameOf(main_), kMainClass);
    const DWORD frameBits = WS_POPUP | WS_CHILD | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                            WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_VISIBLE | WS_DISABLED;
    EXPECT_EQ(StyleOf(main_) & frameBits, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE);
    // The system adds WS_EX_WINDOWEDGE to every captioned window.
    EXPECT_EQ(ExStyleOf(main_) & ~WS_EX_WINDOWEDGE, 0u);
    const SIZE client = ClientSize(main_);
    EXPECT_EQ(client.cx, 523);
    EXPECT_EQ(client.cy, 380);

    RECT expected = {0, 0, 523, 380};
    AdjustWindowRectEx(&expected, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, TRUE, 0);
    const int width = expected.right - expected.left;
    const int height = expected.bottom - expected.top;
    const RECT actual = WindowRect(main_);
    EXPECT_EQ(actual.right - actual.left, width);
    EXPECT_EQ(actual.bottom - actual.top, height);
    EXPECT_EQ(actual.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(actual.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    EXPECT_EQ(GetWindow(main_, GW_OWNER), nullptr);
    SaveScreenshot(main_, "main_window_empty");
}

TEST_F(MainWindow, MenuBarHasFileExitAndHelpAbout) {
    ProbeReport report = ProbeWindow(main_);
    ASSERT_FALSE(report.empty()) << "the probe hook could not be installed";
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"menu.0", L"File"},
        {L"menu.0.0", L"Exit|301"},
        {L"menu.1", L"Help"},
        {L"menu.1.0", L"About Tarnwell Password Generator|302"},
    };
    for (const auto& item : expected) EXPECT_EQ(report[item.first], item.second) << item.first;
    EXPECT_EQ(report.count(L"menu.2"), 0u);
    EXPECT_EQ(report.count(L"menu.0.1"), 0u);
    EXPECT_EQ(report.count(L"menu.1.1"), 0u);
}

TEST_F(MainWindow, ControlsHaveTheirClassTextStyleRectangleAndId) {
    const std::vector<HWND> children = ChildrenInOrder(main_);
    ASSERT_EQ(children.size(), std::size(kMainControls));
    for (std::size_t i = 0; i < children.size(); ++i) {
        const ExpectedControl& expected = kMainControls[i];
        HWND control = children[i];
        SCOPED_TRACE(testing::Message() << "control #" << i + 1 << " (id " << expected.id << ")");
        EXPECT_EQ(GetDlgCtrlID(control), expected.id);
        EXPECT_EQ(ClassNameOf(control), expected.className);
        EXPECT_EQ(WindowText(control), expected.text);
        EXPECT_EQ(StyleOf(control), expected.style);
        EXPECT_EQ(ExStyleOf(control), expected.exStyle);
        const RECT rect = RectInParent(control);
        EXPECT_EQ(rect.left, expected.rect.left);
        EXPECT_EQ(rect.top, expected.rect.top);
        EXPECT_EQ(rect.right, expected.rect.right);
        EXPECT_EQ(rect.bottom, expected.rect.bottom);
    }
    HWND trackbar = Item(kLength);
    EXPECT_EQ(SendMessageW(trackbar, TBM_GETRANGEMIN, 0, 0), 5);
    EXPECT_EQ(SendMessageW(trackbar, TBM_GETRANGEMAX, 0, 0), 128);
    EXPECT_EQ(SendMessageW(trackbar, TBM_GETPOS, 0, 0), 12);
    // Automatic ticks every 10 from 5: 15, 25, ..., 125 between the ends.
    EXPECT_EQ(SendMessageW(trackbar, TBM_GETNUMTICS, 0, 0), 2 + 12);
    for (int id : {kNumbers, kUppercase, kLowercase, kSymbols}) {
        EXPECT_TRUE(IsChecked(main_, id)) << "check box " << id;
    }
    // Allowed keeps the limit an edit starts with, which differs between
    // Windows and Wine; the keyword edits' own limit is KeywordLimitAtStart's.
    const LRESULT startingLimit = StartingEditLimit();
    ASSERT_GT(startingLimit, 0);
    EXPECT_EQ(SendMessageW(Item(kAllowed), EM_GETLIMITTEXT, 0, 0), startingLimit);
    for (int id : {kKeyword1, kKeyword2, kAllowed}) {
        EXPECT_EQ(SendMessageW(Item(id), EM_GETPASSWORDCHAR, 0, 0), 0) << "edit " << id;
    }
}

TEST_F(MainWindow, TwelveControlsCarryTheMessageFontAndTheTrackbarKeepsItsOwn) {
    ProbeReport report = ProbeWindow(main_);
    ASSERT_FALSE(report.empty()) << "the probe hook could not be installed";
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    const std::wstring messageFont = std::wstring(metrics.lfMessageFont.lfFaceName) + L"|" +
                                     std::to_wstring(metrics.lfMessageFont.lfHeight) + L"|" +
                                     std::to_wstring(metrics.lfMessageFont.lfWeight);
    const std::wstring uiFontHandle = report[L"font." + std::to_wstring(kKeyword1Label)];
    EXPECT_NE(uiFontHandle, L"0");
    for (const ExpectedControl& control : kMainControls) {
        const std::wstring id = std::to_wstring(control.id);
        if (control.uiFont) {
            EXPECT_EQ(report[L"font." + id], uiFontHandle) << "control " << control.id;
            EXPECT_EQ(report[L"face." + id], messageFont) << "control " << control.id;
        } else {
            EXPECT_NE(report[L"font." + id], uiFontHandle) << "control " << control.id;
        }
    }
}

TEST_F(MainWindow, TabVisitsTheTabStopsInCreationOrder) {
    const int expectedOrder[] = {kKeyword1,  kKeyword2, kLength,  kNumbers, kUppercase,
                                 kLowercase, kSymbols,  kAllowed, kGenerate, kKeyword1};
    // Start from the first tab stop; each Tab goes to the control with the focus.
    HWND focus = main_;
    for (int expectedId : expectedOrder) {
        PostMessageW(focus, WM_KEYDOWN, VK_TAB, 0);
        PostMessageW(focus, WM_KEYUP, VK_TAB, 0xC0000001);
        SyncWithProgram(main_);
        focus = app_.FocusWindow();
        ASSERT_EQ(GetDlgCtrlID(focus), expectedId);
    }
}

TEST_F(MainWindow, LengthLabelFollowsTheTrackbarWithinFiveToOneHundredTwentyEight) {
    const struct {
        int dragTo;
        const wchar_t* label;
    } cases[] = {
        {5, L"Password Length : 5"},     {6, L"Password Length : 6"},
        {64, L"Password Length : 64"},   {127, L"Password Length : 127"},
        {128, L"Password Length : 128"}, {500, L"Password Length : 128"},
        {1, L"Password Length : 5"},     {12, L"Password Length : 12"},
    };
    for (const auto& c : cases) {
        DragTrackbarTo(main_, c.dragTo);
        EXPECT_EQ(WindowText(Item(kLengthLabel)), c.label) << "dragged to " << c.dragTo;
    }
}

TEST_F(MainWindow, AtLeastOneLetterCaseStaysOn) {
    const struct {
        int click;
        bool uppercaseAfter;
        bool lowercaseAfter;
    } steps[] = {
        {kUppercase, false, true},  // lowercase still on: nothing more
        {kLowercase, true, false},  // the last case off: uppercase comes back
        {kUppercase, false, true},  // and the other way round
        {kUppercase, true, true},   // switching on is never refused
    };
    for (const auto& step : steps) {
        Click(main_, step.click);
        EXPECT_EQ(IsChecked(main_, kUppercase), step.uppercaseAfter) << "after clicking " << step.click;
        EXPECT_EQ(IsChecked(main_, kLowercase), step.lowercaseAfter) << "after clicking " << step.click;
    }
    // Numbers and Symbols may both be off.
    Click(main_, kNumbers);
    Click(main_, kSymbols);
    EXPECT_FALSE(IsChecked(main_, kNumbers));
    EXPECT_FALSE(IsChecked(main_, kSymbols));
}

// Settings the controls never give a user, set the way another program can:
// by messages to the controls, which bypass the click that keeps a letter
// case on and the trackbar's range. The window refuses what tarnwell-cli
// refuses instead of deriving a password no other front end gives, and
// judges the settings before the keywords, as tarnwell-cli does.
TEST_F(MainWindow, SettingsSetByAnotherProgramAreRefusedLikeTheCommandLine) {
    const wchar_t* const kNoLetterCase =
        L"Check Uppercase, Lowercase or both: one letter case stays on.";
    const wchar_t* const kLengthRange = L"The password length must be from 5 to 128.";
    const struct {
        const char* name;
        BOOL uppercase, lowercase;
        LPARAM rangeMin, rangeMax;
        WPARAM length;
        const wchar_t* keyword1;
        const wchar_t* text;
    } cases[] = {
        {"both cases off", BST_UNCHECKED, BST_UNCHECKED, 5, 128, 12, L"k1", kNoLetterCase},
        {"both cases off, keyword 1 missing", BST_UNCHECKED, BST_UNCHECKED, 5, 128, 12, L"",
         kNoLetterCase},
        {"length 129", BST_CHECKED, BST_CHECKED, 5, 200, 129, L"k1", kLengthRange},
        {"length 4", BST_CHECKED, BST_UNCHECKED, 1, 128, 4, L"k1", kLengthRange},
        {"length 0, cases off", BST_UNCHECKED, BST_UNCHECKED, 0, 128, 0, L"k1", kLengthRange},
    };
    HWND trackbar = Item(kLength);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetControlText(Item(kKeyword1), c.keyword1);
        SetControlText(Item(kKeyword2), L"k2");
        SendMessageW(Item(kUppercase), BM_SETCHECK, c.uppercase, 0);
        SendMessageW(Item(kLowercase), BM_SETCHECK, c.lowercase, 0);
        SendMessageW(trackbar, TBM_SETRANGEMIN, FALSE, c.rangeMin);
        SendMessageW(trackbar, TBM_SETRANGEMAX, FALSE, c.rangeMax);
        SendMessageW(trackbar, TBM_SETPOS, TRUE, static_cast<LPARAM>(c.length));
        ASSERT_EQ(SendMessageW(trackbar, TBM_GETPOS, 0, 0), static_cast<LRESULT>(c.length));
        PostMessageW(Item(kGenerate), BM_CLICK, 0, 0);
        ExpectMessageBoxAndClose(app_.WaitForTopLevel(L"#32770", 10000), main_, c.text,
                                 L"warning");
        SyncWithProgram(main_);
        EXPECT_FALSE(ResultWindowOpen());
    }
}

TEST_F(MainWindow, SymbolsGreysTheAllowedFieldAndKeepsItsText) {
    SetControlText(Item(kAllowed), L"!#a@");
    Click(main_, kSymbols);
    EXPECT_FALSE(IsWindowEnabled(Item(kAllowed)));
    EXPECT_FALSE(IsWindowEnabled(Item(kAllowedLabel)));
    EXPECT_EQ(WindowText(Item(kAllowed)), L"!#a@");
    Click(main_, kSymbols);
    EXPECT_TRUE(IsWindowEnabled(Item(kAllowed)));
    EXPECT_TRUE(IsWindowEnabled(Item(kAllowedLabel)));
    EXPECT_EQ(WindowText(Item(kAllowed)), L"!#a@");
}

TEST_F(MainWindow, EnterAndEscInAKeywordEditStartNothing) {
    SetControlText(Item(kKeyword1), L"correct horse");
    SetControlText(Item(kKeyword2), L"battery staple");
    for (int id : {kKeyword1, kKeyword2}) {
        for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
            PostMessageW(Item(id), WM_KEYDOWN, key, 1);
            PostMessageW(Item(id), WM_KEYUP, key, 0xC0000001);
            SyncWithProgram(main_);
            EXPECT_FALSE(ResultWindowOpen()) << "key " << key << " in edit " << id;
            EXPECT_EQ(app_.FindMessageBox(), nullptr) << "key " << key << " in edit " << id;
            EXPECT_TRUE(IsWindow(main_)) << "key " << key << " in edit " << id;
        }
    }
    EXPECT_EQ(WindowText(Item(kKeyword1)), L"correct horse");
    EXPECT_EQ(WindowText(Item(kKeyword2)), L"battery staple");
}

TEST_F(MainWindow, MissingKeywordWarnsAndPutsTheCaretInTheEmptyEdit) {
    const struct {
        const wchar_t* keyword1;
        const wchar_t* keyword2;
        int focusAfter;
    } cases[] = {
        {L"", L"battery staple", kKeyword1},
        {L"correct horse", L"", kKeyword2},
        {L"", L"", kKeyword1},
    };
    bool screenshotTaken = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "keyword 1 '" << c.keyword1 << "', keyword 2 '"
                                        << c.keyword2 << "'");
        SetControlText(Item(kKeyword1), c.keyword1);
        SetControlText(Item(kKeyword2), c.keyword2);
        PostMessageW(Item(kGenerate), BM_CLICK, 0, 0);
        HWND box = app_.WaitForTopLevel(L"#32770", 10000);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(GetWindow(box, GW_OWNER), main_);
        EXPECT_EQ(WindowText(box), kAppTitle);
        EXPECT_EQ(MessageBoxText(box), L"Both Keyword 1 and Keyword 2 are required.");
        EXPECT_EQ(ProbeWindow(box)[L"icon"], L"warning");
        if (!screenshotTaken) {
            SaveScreenshot(box, "warning_box");
            screenshotTaken = true;
        }
        ASSERT_TRUE(CloseMessageBox(box));
        SyncWithProgram(main_);
        // The main window becomes active again when the X server says so,
        // which may come after the program has set the focus.
        EXPECT_TRUE(WaitUntil([&] { return GetDlgCtrlID(app_.FocusWindow()) == c.focusAfter; },
                              5000))
            << "the focus is on " << GetDlgCtrlID(app_.FocusWindow());
        EXPECT_FALSE(ResultWindowOpen());
    }
}

TEST(MainWindowExit, FileExitEndsTheProgramWithCodeZero) {
    AppProcess app;
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(kMenuExit, 0), 0);
    DWORD exitCode = 12345;
    ASSERT_TRUE(app.WaitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
