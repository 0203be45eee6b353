// A generation with the default settings and the result window it opens:
// the password of the vectors and the command-line program with its
// strength heading, the window's size, position, owner and fonts, the main
// window disabled meanwhile, no moving by the caption, and one result window
// for GENERATE PASSWORD clicks posted at once, as UI automation sends them.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "app_process.h"
#include "clipboard_access.h"
#include "probe_report.h"
#include "program_driver.h"
#include "queue_sync.h"
#include "screenshot.h"
#include "wait_until.h"
#include "window_reading.h"

namespace {

constexpr DWORD kResultStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;  // 0x80C80000

struct ExpectedControl {
    const wchar_t* className;
    DWORD exStyle;
    DWORD style;
    RECT rect;
    int id;
};

const ExpectedControl kResultControls[] = {
    {L"Static", 0, WS_CHILD | WS_VISIBLE, {12, 9, 522, 27}, kResultLabel},
    {L"Edit", WS_EX_CLIENTEDGE,
     WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY,  // 0x50200804
     {12, 27, 529, 174}, kResultEdit},
    {L"Button", 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP, {12, 180, 529, 234}, kCopy},
};

// Drags a window by the middle of its caption with real mouse input, in
// absolute screen positions; returns the window's rectangle once the
// program has taken the button's release and handled the drag.
RECT DragByCaption(HWND window, int dx, int dy) {
    const LONG releases = ReleasesTaken(window);
    const RECT before = WindowRect(window);
    const int x = (before.left + before.right) / 2;
    const int y = before.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    auto at = [&](int px, int py, DWORD flags) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        // The centre of pixel (px, py) on the 0..65535 scale.
        input.mi.dx = static_cast<LONG>((px * 65536LL + 32768) / screenWidth);
        input.mi.dy = static_cast<LONG>((py * 65536LL + 32768) / screenHeight);
        input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &input, sizeof(INPUT));
    };
    at(x, y, 0);
    at(x, y, MOUSEEVENTF_LEFTDOWN);
    at(x + dx / 2, y + dy / 2, 0);
    at(x + dx, y + dy, 0);
    at(x + dx, y + dy, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(WaitUntil([&] { return ReleasesTaken(window) > releases; }, 10000))
        << "the program never took the button's release";
    SyncWithProgram(window);
    return WindowRect(window);
}

// The program's top-level windows of a class, however many there are.
int CountTopLevel(DWORD processId, const wchar_t* className) {
    struct Search {
        DWORD processId;
        const wchar_t* className;
        int count;
    } search{processId, className, 0};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* search = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == search->processId && ClassNameOf(window) == search->className) {
                ++search->count;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.count;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class DefaultGeneration : public testing::Test {
protected:
    // One generation serves every test of this suite: each one costs seconds.
    static void SetUpTestSuite() {
        app_ = new AppProcess();
        HWND main = app_->WaitForMainWindow();
        if (!main) return;
        const PasswordVector& vector = VectorNamed("default");
        EnterVector(main, vector);
        mainRectBefore_ = WindowRect(main);
        SaveScreenshot(main, "main_window");
        result_ = GenerateAndWaitForResult(*app_);
    }
    static void TearDownTestSuite() {
        delete app_;
        app_ = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(app_->MainWindow(), nullptr) << "the main window never appeared";
        ASSERT_NE(result_, nullptr) << "no result window after GENERATE PASSWORD";
    }

    static AppProcess* app_;
    static HWND result_;
    static RECT mainRectBefore_;
};

AppProcess* DefaultGeneration::app_ = nullptr;
HWND DefaultGeneration::result_ = nullptr;
RECT DefaultGeneration::mainRectBefore_ = {};

TEST_F(DefaultGeneration, ShowsTheCommandLinePasswordAndItsStrength) {
    EXPECT_EQ(WindowText(GetDlgItem(result_, kResultEdit)), VectorPassword(VectorNamed("default")));
    EXPECT_EQ(WindowText(GetDlgItem(result_, kResultLabel)), L"Generated password  (74 bits)");
    EXPECT_EQ(WindowText(GetDlgItem(result_, kCopy)), L"COPY TO CLIPBOARD");
}

TEST_F(DefaultGeneration, ResultWindowIsModalAndCentredOverTheMainWindow) {
    HWND main = app_->MainWindow();
    EXPECT_EQ(WindowText(result_), kAppTitle);
    EXPECT_EQ(ClassNameOf(result_), kResultClass);
    const DWORD frameBits = WS_POPUP | WS_CHILD | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                            WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    EXPECT_EQ(StyleOf(result_) & frameBits, kResultStyle);
    EXPECT_EQ(ExStyleOf(result_) & ~WS_EX_WINDOWEDGE, static_cast<DWORD>(WS_EX_DLGMODALFRAME));
    EXPECT_EQ(GetWindow(result_, GW_OWNER), main);
    EXPECT_EQ(GetMenu(result_), nullptr);
    EXPECT_FALSE(IsWindowEnabled(main));
    EXPECT_TRUE(IsWindowEnabled(result_));

    // The client area is what the layout is made for; the frame follows from it.
    constexpr SIZE kClient = {541, 246};
    const SIZE client = ClientSize(result_);
    EXPECT_EQ(client.cx, kClient.cx);
    EXPECT_EQ(client.cy, kClient.cy);
    RECT frame = {0, 0, kClient.cx, kClient.cy};
    AdjustWindowRectEx(&frame, kResultStyle, FALSE, WS_EX_DLGMODALFRAME);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const RECT mainRect = WindowRect(main);
    const RECT rect = WindowRect(result_);
    EXPECT_EQ(rect.right - rect.left, width);
    EXPECT_EQ(rect.bottom - rect.top, height);
    EXPECT_EQ(rect.left, mainRect.left + ((mainRect.right - mainRect.left) - width) / 2);
    EXPECT_EQ(rect.top, mainRect.top + ((mainRect.bottom - mainRect.top) - height) / 2);
    EXPECT_TRUE(SameRect(mainRect, mainRectBefore_)) << "the main window moved";
    SaveScreenshot(result_, "result_window");
}

TEST_F(DefaultGeneration, ResultControlsHaveTheirClassStyleRectangleIdAndFont) {
    const std::vector<HWND> children = ChildrenInOrder(result_);
    ASSERT_EQ(children.size(), std::size(kResultControls));
    for (std::size_t i = 0; i < children.size(); ++i) {
        const ExpectedControl& expected = kResultControls[i];
        SCOPED_TRACE(testing::Message() << "control #" << i + 1 << " (id " << expected.id << ")");
        EXPECT_EQ(GetDlgCtrlID(children[i]), expected.id);
        EXPECT_EQ(ClassNameOf(children[i]), expected.className);
        EXPECT_EQ(StyleOf(children[i]), expected.style);
        EXPECT_EQ(ExStyleOf(children[i]), expected.exStyle);
        const RECT rect = RectInParent(children[i]);
        EXPECT_TRUE(SameRect(rect, expected.rect))
            << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    }

    ProbeReport mainReport = ProbeWindow(app_->MainWindow());
    ProbeReport report = ProbeWindow(result_);
    ASSERT_FALSE(report.empty()) << "the probe hook could not be installed";
    const std::wstring uiFont = mainReport[L"font." + std::to_wstring(kKeyword1)];
    EXPECT_EQ(report[L"font." + std::to_wstring(kResultLabel)], uiFont);
    EXPECT_EQ(report[L"font." + std::to_wstring(kCopy)], uiFont);
    EXPECT_NE(report[L"font." + std::to_wstring(kResultEdit)], uiFont);
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(12, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(report[L"face." + std::to_wstring(kResultEdit)],
              L"Segoe UI|" + std::to_wstring(height) + L"|400");
}

TEST_F(DefaultGeneration, ResultWindowCannotBeMoved) {
    const RECT before = WindowRect(result_);
    for (WPARAM command : {static_cast<WPARAM>(SC_MOVE), static_cast<WPARAM>(SC_MOVE | HTCAPTION)}) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(result_, WM_SYSCOMMAND, command, 0, SMTO_NORMAL, 5000, &ignored);
        EXPECT_TRUE(SameRect(WindowRect(result_), before)) << "after SC_MOVE " << command;
    }
    EXPECT_TRUE(SameRect(DragByCaption(result_, 120, 90), before)) << "after a drag";
}

// Sent to COPY TO CLIPBOARD, the window's one tab stop, and typed in the
// password edit.
TEST_F(DefaultGeneration, EscAndEnterDoNotCloseTheResultWindow) {
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        PostMessageW(GetDlgItem(result_, kCopy), WM_KEYDOWN, key, 1);
        PostMessageW(GetDlgItem(result_, kCopy), WM_KEYUP, key, 0xC0000001);
        SyncWithProgram(result_);
        EXPECT_TRUE(IsWindow(result_)) << "key " << key;
    }
    // Typed in the password edit, Esc would make a multi-line edit under
    // dialog navigation close its parent.
    HWND edit = GetDlgItem(result_, kResultEdit);
    ASSERT_TRUE(ClickToFocus(*app_, edit)) << "the password edit never got the focus";
    ASSERT_TRUE(PressKeys(*app_, {VK_ESCAPE})) << "the key was not taken";
    EXPECT_TRUE(IsWindow(result_)) << "Esc in the password edit";
    EXPECT_FALSE(IsWindowEnabled(app_->MainWindow()));
}

// Last in the suite: it closes the result window.
TEST_F(DefaultGeneration, ClosingWithoutCopyingLeavesTheClipboardAlone) {
    ASSERT_TRUE(PutTextOnClipboard(L"someone else's text"));
    PostMessageW(result_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(result_); }, 10000));
    SyncWithProgram(app_->MainWindow());
    EXPECT_TRUE(IsWindowEnabled(app_->MainWindow()));
    bool hasText = false;
    EXPECT_EQ(ReadClipboardText(&hasText), L"someone else's text");
    EXPECT_TRUE(hasText);

    // The drag that the result window refused does move the main window,
    // so the refusal above was no accident of the test's mouse.
    const RECT before = WindowRect(app_->MainWindow());
    const RECT after = DragByCaption(app_->MainWindow(), 120, 90);
    EXPECT_EQ(after.left - before.left, 120);
    EXPECT_EQ(after.top - before.top, 90);
}

// UI automation and screen readers post their clicks. Three posted at once
// are all queued before the first generation ends; the two that arrive while
// its result window is open do nothing.
TEST(RepeatedGenerate, PostedClicksOpenOneResultWindow) {
    AppProcess app;
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EnterVector(main, VectorNamed("default"));
    HWND generate = GetDlgItem(main, kGenerate);
    for (int click = 0; click < 3; ++click) PostMessageW(generate, BM_CLICK, 0, 0);
    HWND result = app.WaitForTopLevel(kResultClass, 60000);
    ASSERT_NE(result, nullptr);
    SyncWithProgram(main);
    EXPECT_EQ(CountTopLevel(app.ProcessId(), kResultClass), 1);
    EXPECT_FALSE(IsWindowEnabled(main));
    EXPECT_EQ(WindowText(GetDlgItem(result, kResultEdit)),
              VectorPassword(VectorNamed("default")));

    PostMessageW(result, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(result); }, 10000));
    SyncWithProgram(main);
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_EQ(CountTopLevel(app.ProcessId(), kResultClass), 0);
    EXPECT_EQ(app.FindMessageBox(), nullptr);

    PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD exitCode = 99;
    EXPECT_TRUE(app.WaitForExit(20000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
