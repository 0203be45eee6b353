// The main window: the inputs of a generation, the class check boxes, the
// length label, the menus, and GENERATE PASSWORD.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "derivation/generation_request.h"
#include "ui/app_state.h"
#include "clipboard/clipboard_guard.h"
#include "ui/generation_command.h"
#include "ui/keyword_edit.h"
#include "ui/keyword_edit_notices.h"
#include "ui/main_window.h"
#include "ui/main_window_controls.h"
#include "ui/ui_ids.h"
#include "ui/ui_texts.h"

namespace {

LRESULT OnCreate(HWND window) {
    g_app.mainWindow = window;
    CreateMainWindowControls(window);
    return 0;
}

void OnSymbolsClicked(HWND window) {
    const BOOL on = SendMessageW(Control(window, IDC_SYMBOLS), BM_GETCHECK, 0, 0) == BST_CHECKED;
    EnableWindow(Control(window, IDC_ALLOWED), on);
    EnableWindow(Control(window, IDC_ALLOWED_LABEL), on);
}

// The settings' rule that one letter case stays on, kept while the user
// clicks: unchecking the last one checks the other.
void KeepOneLetterCase(HWND window, int otherCaseId) {
    GenerationRequest cases;
    cases.uppercase = IsChecked(window, IDC_UPPERCASE);
    cases.lowercase = IsChecked(window, IDC_LOWERCASE);
    if (CheckSettings(cases) == SettingsFault::NoLetterCase) {
        SendMessageW(Control(window, otherCaseId), BM_SETCHECK, BST_CHECKED, 0);
    }
}

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const bool clicked = HIWORD(wParam) == BN_CLICKED;
    switch (id) {
        case IDC_SYMBOLS:
            if (clicked) OnSymbolsClicked(window);
            return 0;
        case IDC_UPPERCASE:
            if (clicked) KeepOneLetterCase(window, IDC_LOWERCASE);
            return 0;
        case IDC_LOWERCASE:
            if (clicked) KeepOneLetterCase(window, IDC_UPPERCASE);
            return 0;
        case IDC_GENERATE:
            if (clicked) OnGenerate(window);
            return 0;
        case IDC_KEYWORD1:
        case IDC_KEYWORD2:
            OnKeywordEditNotification(window, id, HIWORD(wParam));
            return 0;
        case IDM_EXIT:
            if (clicked) PostMessageW(window, WM_CLOSE, 0, 0);
            return 0;
        case IDM_ABOUT:
            if (clicked) {
                ShellExecuteW(nullptr, L"open", kMakerPageAddress, nullptr, nullptr,
                              SW_SHOWNORMAL);
            }
            return 0;
        default:
            return DefWindowProcW(window, WM_COMMAND, wParam, lParam);
    }
}

LRESULT OnHorizontalScroll(HWND window, LPARAM lParam) {
    HWND trackbar = Control(window, IDC_LENGTH);
    if (reinterpret_cast<HWND>(lParam) == trackbar) {
        ShowLength(window, static_cast<int>(SendMessageW(trackbar, TBM_GETPOS, 0, 0)));
    }
    return 0;
}

// The main window hosts the clipboard guard's timers.
LRESULT OnTimer(WPARAM timerId) {
    HandleClipboardGuardTimer(timerId);
    return 0;
}

// Windows may end the process at any moment once this returns, without
// destroying the window first.
LRESULT OnEndSession(WPARAM ending) {
    if (ending) RunClipboardCheckBeforeExit();
    return 0;
}

LRESULT OnDestroy() {
    RunClipboardCheckBeforeExit();
    PostQuitMessage(0);
    return 0;
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate(window);
        case WM_COMMAND:
            return OnCommand(window, wParam, lParam);
        case WM_HSCROLL:
            return OnHorizontalScroll(window, lParam);
        case WM_TIMER:
            return OnTimer(wParam);
        case WM_APP_KEYWORD_CUT:
        case WM_APP_KEYWORD_LINES_CUT:
            return OnKeywordPasteCut(window, message, wParam);
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_ENDSESSION:
            return OnEndSession(wParam);
        case WM_DESTROY:
            return OnDestroy();
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}
