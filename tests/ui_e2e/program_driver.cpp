#include "program_driver.h"

#include <commctrl.h>

#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "clipboard_access.h"
#include "probe_report.h"
#include "queue_sync.h"
#include "utf8_conversion.h"
#include "wait_until.h"
#include "window_reading.h"

void SetControlText(HWND control, const std::wstring& text) {
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool IsChecked(HWND main, int id) {
    return SendMessageW(GetDlgItem(main, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Click(HWND main, int id) { SendMessageW(GetDlgItem(main, id), BM_CLICK, 0, 0); }

void DragTrackbarTo(HWND main, int position) {
    HWND trackbar = GetDlgItem(main, kLength);
    SendMessageW(trackbar, TBM_SETPOS, TRUE, position);
    const auto current = static_cast<WORD>(SendMessageW(trackbar, TBM_GETPOS, 0, 0));
    SendMessageW(main, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, current),
                 reinterpret_cast<LPARAM>(trackbar));
}

void EnterVector(HWND main, const PasswordVector& vector) {
    auto wide = [](const std::vector<std::uint8_t>& utf8) {
        return Utf8ToWide(std::string(utf8.begin(), utf8.end()));
    };
    SetControlText(GetDlgItem(main, kKeyword1), wide(vector.keyword1));
    SetControlText(GetDlgItem(main, kKeyword2), wide(vector.keyword2));
    DragTrackbarTo(main, vector.length);
    const struct {
        int id;
        bool on;
    } boxes[] = {{kNumbers, vector.numbers},
                 {kUppercase, vector.uppercase},
                 {kLowercase, vector.lowercase},
                 {kSymbols, !vector.symbols.empty()}};
    // Switch on first, then off, so that the one-letter-case rule never
    // has to step in.
    for (const auto& box : boxes) {
        if (box.on && !IsChecked(main, box.id)) Click(main, box.id);
    }
    for (const auto& box : boxes) {
        if (!box.on && IsChecked(main, box.id)) Click(main, box.id);
    }
    if (!vector.symbols.empty()) SetControlText(GetDlgItem(main, kAllowed), Utf8ToWide(vector.symbols));
}

void TypeKeywords(HWND main, const PasswordVector& vector) {
    const struct {
        int id;
        const std::vector<std::uint8_t>& utf8;
    } keywords[] = {{kKeyword1, vector.keyword1}, {kKeyword2, vector.keyword2}};
    for (const auto& keyword : keywords) {
        HWND edit = GetDlgItem(main, keyword.id);
        SetControlText(edit, L"");
        for (wchar_t unit : Utf8ToWide(std::string(keyword.utf8.begin(), keyword.utf8.end()))) {
            PostMessageW(edit, WM_CHAR, unit, 1);
        }
    }
    SyncWithProgram(main);
}

const PasswordVector& VectorNamed(const std::string& name) {
    static const std::vector<PasswordVector> vectors = LoadPasswordVectors();
    for (const PasswordVector& vector : vectors) {
        if (vector.name == name) return vector;
    }
    throw std::runtime_error("no password vector named " + name);
}

std::wstring VectorPassword(const PasswordVector& vector) { return Utf8ToWide(vector.password); }

HWND GenerateAndWaitForResult(AppProcess& app, DWORD timeoutMs) {
    PostMessageW(GetDlgItem(app.MainWindow(), kGenerate), BM_CLICK, 0, 0);
    // Found shown and complete, or not at all.
    return app.WaitForTopLevel(kResultClass, timeoutMs);
}

bool CopyAndWaitForClose(HWND resultWindow) {
    PostMessageW(GetDlgItem(resultWindow, kCopy), BM_CLICK, 0, 0);
    return WaitUntil([&] { return !IsWindow(resultWindow); }, 10000);
}

bool WaitForClipboardText(const std::wstring& expected) {
    return WaitUntil(
        [&] {
            bool hasText = false;
            return ReadClipboardText(&hasText) == expected;
        },
        10000);
}

ULONGLONG CopyAndWaitForClipboard(HWND resultWindow, const std::wstring& expected) {
    const ULONGLONG clickedAt = GetTickCount64();
    PostMessageW(GetDlgItem(resultWindow, kCopy), BM_CLICK, 0, 0);
    if (!WaitUntil([&] { return !IsWindow(resultWindow); }, 10000)) return 0;
    return WaitForClipboardText(expected) ? clickedAt : 0;
}

void ClickMiddleOf(HWND control, MouseButton button) {
    const RECT rect = WindowRect(control);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    INPUT clicks[3] = {};
    for (INPUT& input : clicks) {
        input.type = INPUT_MOUSE;
        // The centre of the control's middle pixel on the 0..65535 scale.
        input.mi.dx = static_cast<LONG>(((rect.left + rect.right) / 2 * 65536LL + 32768) /
                                        screenWidth);
        input.mi.dy = static_cast<LONG>(((rect.top + rect.bottom) / 2 * 65536LL + 32768) /
                                        screenHeight);
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    }
    const bool left = button == MouseButton::kLeft;
    clicks[1].mi.dwFlags |= left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN;
    clicks[2].mi.dwFlags |= left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP;
    SendInput(3, clicks, sizeof(INPUT));
}

bool ClickToFocus(const AppProcess& app, HWND control) {
    HWND top = GetAncestor(control, GA_ROOT);
    if (!ActivateAndWait(top, 5000)) return false;
    const LONG before = ReleasesTaken(top);
    if (before < 0) return false;
    ClickMiddleOf(control, MouseButton::kLeft);
    // The click is over once the program's thread has taken the button's
    // release; a click that went to any other window never gets there.
    if (!WaitUntil([&] { return ReleasesTaken(top) > before; }, 10000)) return false;
    SyncWithProgram(top);
    return app.FocusWindow() == control;
}

bool PressKeys(const AppProcess& app, std::initializer_list<WORD> keys) {
    // The main window, which outlives a result window that the keys close.
    HWND window = app.MainWindow();
    const LONG before = ReleasesTaken(window);
    if (before < 0) return false;
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = keys.end(); key != keys.begin();) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *--key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) !=
        inputs.size()) {
        return false;
    }
    const LONG expected = before + static_cast<LONG>(keys.size());
    if (!WaitUntil([&] { return ReleasesTaken(window) >= expected; }, 10000)) return false;
    SyncWithProgram(window);
    return true;
}

void ExpectGuardedTextOnClipboard(const std::wstring& text) {
    bool hasText = false;
    EXPECT_EQ(ReadClipboardText(&hasText), text);
    for (const wchar_t* name :
         {L"ExcludeClipboardContentFromMonitorProcessing", L"CanIncludeInClipboardHistory",
          L"CanUploadToCloudClipboard", L"x-kde-passwordManagerHint",
          L"application/x-copyq-hidden"}) {
        EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(name)))
            << "no " << testing::PrintToString(std::wstring(name));
    }
}

bool CloseMessageBox(HWND box) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return WaitUntil([&] { return !IsWindow(box); }, 10000);
}

std::wstring MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

void ExpectMessageBoxAndClose(HWND box, HWND owner, const wchar_t* text, const wchar_t* icon) {
    ASSERT_NE(box, nullptr) << "no message box";
    EXPECT_EQ(MessageBoxText(box), text);
    EXPECT_EQ(WindowText(box), kAppTitle);
    EXPECT_EQ(GetWindow(box, GW_OWNER), owner);
    EXPECT_EQ(ProbeWindow(box)[L"icon"], icon);
    EXPECT_TRUE(CloseMessageBox(box));
}
