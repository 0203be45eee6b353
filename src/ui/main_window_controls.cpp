// The main window's controls: the layout table, creation, fonts and menus.
#include "ui/main_window_controls.h"

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <string>

#include "derivation/generation_request.h"
#include "derivation/keyword_rules.h"
#include "ui/app_state.h"
#include "ui/keyword_edit.h"
#include "ui/ui_ids.h"
#include "ui/ui_texts.h"

namespace {

constexpr DWORD kEditStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE;
constexpr DWORD kCheckBoxStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;

// The Allowed field starts with the default symbols, widened here so that
// the edit is created with them.
template <std::size_t N>
constexpr std::array<wchar_t, N> WidenAscii(const char (&text)[N]) {
    std::array<wchar_t, N> wide{};
    for (std::size_t i = 0; i < N; ++i) wide[i] = static_cast<wchar_t>(text[i]);
    return wide;
}
constexpr auto kDefaultSymbolsWide = WidenAscii(kDefaultSymbols);

struct ControlLayout {
    const wchar_t* className;
    const wchar_t* text;
    DWORD exStyle;
    DWORD style;
    int x, y, width, height;
    int id;
};

// Creation order is also the Tab order.
const ControlLayout kControls[] = {
    {L"STATIC", L"Keyword 1", 0, kLabelStyle, 12, 12, 200, 18, IDC_KEYWORD1_LABEL},
    {L"EDIT", L"", WS_EX_CLIENTEDGE, kEditStyle, 12, 30, 500, 23, IDC_KEYWORD1},
    {L"STATIC", L"Keyword 2", 0, kLabelStyle, 12, 65, 200, 18, IDC_KEYWORD2_LABEL},
    {L"EDIT", L"", WS_EX_CLIENTEDGE, kEditStyle, 11, 83, 500, 23, IDC_KEYWORD2},
    // Its text is the trackbar's position (ShowLength).
    {L"STATIC", L"", 0, kLabelStyle, 12, 131, 480, 18, IDC_LENGTH_LABEL},
    {TRACKBAR_CLASSW, L"", 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_AUTOTICKS, 12, 163, 482,
     45, IDC_LENGTH},
    {L"BUTTON", L"Numbers", 0, kCheckBoxStyle, 12, 227, 85, 19, IDC_NUMBERS},
    {L"BUTTON", L"Uppercase", 0, kCheckBoxStyle, 105, 227, 90, 19, IDC_UPPERCASE},
    {L"BUTTON", L"Lowercase", 0, kCheckBoxStyle, 201, 227, 90, 19, IDC_LOWERCASE},
    {L"BUTTON", L"Symbols", 0, kCheckBoxStyle, 300, 227, 80, 19, IDC_SYMBOLS},
    {L"STATIC", L"Allowed :", 0, kLabelStyle, 12, 253, 62, 18, IDC_ALLOWED_LABEL},
    {L"EDIT", kDefaultSymbolsWide.data(), WS_EX_CLIENTEDGE, kEditStyle, 78, 250, 434, 23,
     IDC_ALLOWED},
    {L"BUTTON", L"GENERATE PASSWORD", 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 12, 286, 500, 40,
     IDC_GENERATE},
};

// The controls that carry the UI font, in the order they get it. The
// trackbar keeps its own font.
const int kUiFontControls[] = {
    IDC_KEYWORD1_LABEL, IDC_KEYWORD2_LABEL, IDC_LENGTH_LABEL, IDC_KEYWORD1, IDC_KEYWORD2,
    IDC_NUMBERS,        IDC_UPPERCASE,      IDC_LOWERCASE,    IDC_SYMBOLS,  IDC_ALLOWED_LABEL,
    IDC_ALLOWED,        IDC_GENERATE,
};

void CreateMenuBar(HWND window) {
    HMENU menuBar = CreateMenu();
    HMENU fileMenu = CreatePopupMenu();
    HMENU helpMenu = CreatePopupMenu();
    AppendMenuW(fileMenu, MF_STRING, IDM_EXIT, L"Exit");
    const std::wstring about = std::wstring(L"About ") + kAppTitle;
    AppendMenuW(helpMenu, MF_STRING, IDM_ABOUT, about.c_str());
    AppendMenuW(menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(fileMenu), L"File");
    AppendMenuW(menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(helpMenu), L"Help");
    SetMenu(window, menuBar);
}

// The edits' own default is no dependable bound (Windows documents 32767
// characters, Wine keeps 30000), so the keyword limit is set explicitly. The
// subclass guards the keywords' copies (keyword_edit.h).
void SetUpKeywordEdits(HWND window) {
    for (int id : {IDC_KEYWORD1, IDC_KEYWORD2}) {
        SendMessageW(Control(window, id), EM_SETLIMITTEXT, kMaxKeywordUnits, 0);
        SubclassKeywordEdit(Control(window, id));
    }
}

}  // namespace

HWND Control(HWND window, int id) { return GetDlgItem(window, id); }

bool IsChecked(HWND window, int id) {
    return SendMessageW(Control(window, id), BM_GETCHECK, 0, 0) != 0;
}

void ShowLength(HWND window, int length) {
    wchar_t label[128];
    wsprintfW(label, L"Password Length : %d", length);
    SetWindowTextW(Control(window, IDC_LENGTH_LABEL), label);
}

void CreateMainWindowControls(HWND window) {
    CreateMenuBar(window);
    for (const ControlLayout& control : kControls) {
        CreateWindowExW(control.exStyle, control.className, control.text, control.style,
                        control.x, control.y, control.width, control.height, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                        g_app.instance, nullptr);
    }

    HWND trackbar = Control(window, IDC_LENGTH);
    SendMessageW(trackbar, TBM_SETRANGE, TRUE, MAKELPARAM(kMinLength, kMaxLength));
    SendMessageW(trackbar, TBM_SETPOS, TRUE, kDefaultLength);
    SendMessageW(trackbar, TBM_SETTICFREQ, 10, 0);
    ShowLength(window, kDefaultLength);

    for (int id : {IDC_NUMBERS, IDC_UPPERCASE, IDC_LOWERCASE, IDC_SYMBOLS}) {
        SendMessageW(Control(window, id), BM_SETCHECK, BST_CHECKED, 0);
    }
    for (int id : kUiFontControls) {
        SendMessageW(Control(window, id), WM_SETFONT, reinterpret_cast<WPARAM>(g_app.uiFont),
                     TRUE);
    }
    SetUpKeywordEdits(window);
}
