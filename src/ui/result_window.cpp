// The result window: one password with its strength, modal over the main
// window, with COPY TO CLIPBOARD as its only action.
#include <windows.h>

#include <memory>
#include <string>

#include "crypto/crypto.h"
#include "derivation/generation_request.h"
#include "ui/app_state.h"
#include "clipboard/clipboard_guard.h"
#include "ui/result_window.h"
#include "ui/ui_ids.h"
#include "ui/ui_texts.h"
#include "ui/wide_text.h"

namespace {

constexpr DWORD kResultStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kResultExStyle = WS_EX_DLGMODALFRAME;
constexpr int kResultClientWidth = 541;
constexpr int kResultClientHeight = 246;

// What one result window shows, and owns: created with the window and freed
// with it, the text wiped when the window closes.
struct ResultWindowState {
    std::wstring text;  // the password, as shown
    double estimateBits = 0.0;
    WNDPROC editProc = nullptr;  // the password edit's own procedure, under the subclass
};

ResultWindowState& StateOf(HWND window) {
    return *reinterpret_cast<ResultWindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void WipeText(ResultWindowState& state) {
    SecureWipeContents(state.text);
    state.text.clear();
}

HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD exStyle,
                 DWORD style, int x, int y, int width, int height, int id, HFONT font) {
    HWND control = CreateWindowExW(exStyle, className, text, style, x, y, width, height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   g_app.instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return control;
}

// Copies the whole password, whatever part of it is selected, through the
// guard. A failure leaves the window open and says so in one box. True when
// the password is on the clipboard.
bool CopyPassword(HWND window) {
    std::wstring text = ReadWindowText(GetDlgItem(window, IDC_RESULT_EDIT));
    const CopyResult result =
        text.empty() ? CopyResult::kCopied
                     : CopyToClipboardAndArmGuard(window, g_app.mainWindow, text.data(),
                                                  text.size());
    SecureWipeContents(text);
    if (result == CopyResult::kCopied) return true;
    MessageBoxW(window, result == CopyResult::kClipboardBusy ? kClipboardBusyText : kCopyFailedText,
                kAppTitle, MB_ICONWARNING);
    return false;
}

// The password edit is read-only but selectable, and its own copy (Ctrl+C,
// Ctrl+Insert, the context menu) would put the password on the clipboard
// with no guard. Every such copy does what COPY TO CLIPBOARD does. The edit
// is still inside its own handling of the key or menu command when this
// runs, so the window is closed afterwards, by a posted message.
void CopyFromEdit(HWND edit) {
    if (CopyPassword(GetParent(edit))) PostMessageW(GetParent(edit), WM_CLOSE, 0, 0);
}

bool IsKeyDown(int key) { return GetKeyState(key) < 0; }

LRESULT CALLBACK PasswordEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COPY:
        case WM_CUT:
            CopyFromEdit(edit);
            return 0;
        case WM_KEYDOWN:
            // Wine's edit copies on Ctrl+Insert without a WM_COPY.
            if (wParam == VK_INSERT && IsKeyDown(VK_CONTROL) && !IsKeyDown(VK_SHIFT)) {
                CopyFromEdit(edit);
                return 0;
            }
            [[fallthrough]];
        case WM_CHAR:
            // A multi-line edit under dialog navigation closes its parent on
            // Esc; this window is not closed by Esc.
            if (wParam == VK_ESCAPE) return 0;
            break;
        default:
            break;
    }
    return CallWindowProcW(StateOf(GetParent(edit)).editProc, edit, message, wParam, lParam);
}

// The state comes with the creation parameters (CreateResultWindow) and is
// the window's from here on; it is freed at WM_NCDESTROY, which also follows
// a creation that fails after this message.
void OnNonClientCreate(HWND window, LPARAM lParam) {
    auto& pending = *static_cast<std::unique_ptr<ResultWindowState>*>(
        reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pending.release()));
}

LRESULT OnCreate(HWND window) {
    ResultWindowState& state = StateOf(window);
    const std::wstring heading = Utf8ToWide(StrengthHeading(state.estimateBits));
    CreateChild(window, L"STATIC", heading.c_str(), 0, WS_CHILD | WS_VISIBLE, 12, 9, 510, 18,
                IDC_RESULT_LABEL, g_app.uiFont);
    // Created empty and given the password after: a window's creation text
    // is copied by the system into a block that goes back to the heap
    // unwiped when the window is destroyed, while the edit's own buffer is
    // the one wiped below.
    HWND edit = CreateChild(window, L"EDIT", L"", WS_EX_CLIENTEDGE,
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 12,
                            27, 517, 147, IDC_RESULT_EDIT, g_app.passwordFont);
    if (edit) {
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(state.text.c_str()));
        state.editProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PasswordEditProc)));
    }
    CreateChild(window, L"BUTTON", L"COPY TO CLIPBOARD", 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                12, 180, 517, 54, IDC_COPY, g_app.uiFont);
    return 0;
}

// Closes the window, the main window enabled first: a window that goes while
// its owner is still disabled leaves the system nowhere in this program to
// put the activation, so it activates another program's window, which can
// then stay in front of the main window or keep the keyboard from it.
void CloseResultWindow(HWND window) {
    EnableWindow(g_app.mainWindow, TRUE);
    DestroyWindow(window);
}

void OnCopyClicked(HWND window) {
    if (CopyPassword(window)) CloseResultWindow(window);
}

// A multi-line edit hands out its text buffer. The password is overwritten
// there, in place, so that the control does not free it with the password.
void WipeEditText(HWND edit) {
    auto buffer = reinterpret_cast<HLOCAL>(SendMessageW(edit, EM_GETHANDLE, 0, 0));
    if (!buffer) return;
    if (void* text = LocalLock(buffer)) {
        SecureWipe(text, LocalSize(buffer));
        LocalUnlock(buffer);
    }
}

// Runs before the children are destroyed. The main window is enabled here
// too, for a window destroyed without CloseResultWindow.
void OnDestroy(HWND window) {
    WipeEditText(GetDlgItem(window, IDC_RESULT_EDIT));
    WipeText(StateOf(window));
    EnableWindow(g_app.mainWindow, TRUE);
    SetForegroundWindow(g_app.mainWindow);
    g_app.resultWindow = nullptr;
}

// The last message of the window, however its creation went. The text is
// wiped again, for a window that never got to WM_DESTROY.
void OnNonClientDestroy(HWND window) {
    std::unique_ptr<ResultWindowState> state(
        reinterpret_cast<ResultWindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA)));
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (state) WipeText(*state);
}

}  // namespace

HWND CreateResultWindow(const Bytes& password, double estimateBits) {
    // Converted straight into the window's own text: a temporary string would
    // leave a short password behind in its inline buffer on the stack.
    auto state = std::make_unique<ResultWindowState>();
    Utf8ToWideInto(reinterpret_cast<const char*>(password.data()), password.size(), state->text);
    state->estimateBits = estimateBits;

    RECT frame = {0, 0, kResultClientWidth, kResultClientHeight};
    AdjustWindowRectEx(&frame, kResultStyle, FALSE, kResultExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT main{};
    GetWindowRect(g_app.mainWindow, &main);
    const int x = main.left + ((main.right - main.left) - width) / 2;
    const int y = main.top + ((main.bottom - main.top) - height) / 2;
    // The handle is recorded only once creation is complete, so the message
    // loop never treats a half-built window as the dialog target.
    g_app.resultWindow = CreateWindowExW(kResultExStyle, kResultClassName, kAppTitle,
                                         kResultStyle, x, y, width, height, g_app.mainWindow,
                                         nullptr, g_app.instance, &state);
    // Still here if the window never took it: nothing shows the password,
    // so nothing keeps it.
    if (state) WipeText(*state);
    return g_app.resultWindow;
}

LRESULT CALLBACK ResultWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE:
            OnNonClientCreate(window, lParam);
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_CREATE:
            return OnCreate(window);
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_COPY && HIWORD(wParam) == BN_CLICKED) OnCopyClicked(window);
            return 0;
        case WM_CLOSE:
            CloseResultWindow(window);
            return 0;
        case WM_DESTROY:
            OnDestroy(window);
            return 0;
        case WM_NCDESTROY:
            OnNonClientDestroy(window);
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_SYSCOMMAND:
            // The window stays centred over the main window: no moving by
            // caption or system menu.
            if ((wParam & 0xFFF0) == SC_MOVE) return 0;
            return DefWindowProcW(window, message, wParam, lParam);
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}
