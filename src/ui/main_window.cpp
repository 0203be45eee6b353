// The main window: the inputs of a generation, the class check boxes, the
// length label, the menus, and GENERATE PASSWORD.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <array>
#include <string>

#include "crypto/crypto.h"
#include "derivation/generation_request.h"
#include "derivation/keyword_rules.h"
#include "derivation/password_generator.h"
#include "derivation/utf8.h"
#include "ui/app_state.h"
#include "ui/clipboard_guard.h"
#include "ui/keyword_edit.h"
#include "ui/main_window.h"
#include "ui/result_window.h"
#include "ui/ui_ids.h"
#include "ui/wide_text.h"

namespace {

constexpr DWORD kEditStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE;
constexpr DWORD kCheckBoxStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;

// Posted by a keyword edit's EN_MAXTEXT, so that the notice box opens after
// the edit has finished the paste it cut; wParam is the edit's id. The
// edits' own subclass posts WM_APP_KEYWORD_LINES_CUT (keyword_edit.h).
constexpr UINT WM_APP_KEYWORD_CUT = WM_APP + 1;

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

HWND Control(HWND window, int id) { return GetDlgItem(window, id); }

bool IsChecked(HWND window, int id) {
    return SendMessageW(Control(window, id), BM_GETCHECK, 0, 0) != 0;
}

void ShowLength(HWND window, int length) {
    wchar_t label[128];
    wsprintfW(label, L"Password Length : %d", length);
    SetWindowTextW(Control(window, IDC_LENGTH_LABEL), label);
}

std::u16string ToU16(const std::wstring& text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t is 16-bit");
    return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

// Reads a keyword edit straight into the request; the one intermediate copy
// is wiped here.
void ReadKeyword(HWND edit, std::u16string& keyword) {
    std::wstring text = ReadWindowText(edit);
    keyword.assign(reinterpret_cast<const char16_t*>(text.data()), text.size());
    SecureWipeContents(text);
}

// The UTF-16 keyword copies are wiped however the generation ends.
struct KeywordWipe {
    GenerationRequest& request;
    ~KeywordWipe() {
        SecureWipeContents(request.keyword1);
        SecureWipeContents(request.keyword2);
    }
};

// Converts straight into the result text: a temporary string would leave a
// short password behind in its inline buffer on the stack.
void StoreResultText(const Bytes& utf8) {
    WipeResultText();
    Utf8ToWideInto(reinterpret_cast<const char*>(utf8.data()), utf8.size(), g_app.resultText);
}

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

int KeywordIndex(int editId) { return editId == IDC_KEYWORD1 ? 0 : 1; }

// EN_MAXTEXT: the edit dropped what did not fit. Said once per edit, until
// its text is shorter than the limit again (EN_CHANGE).
void OnKeywordEditNotification(HWND window, int editId, WORD code) {
    bool& shown = g_app.keywordCutNoticeShown[KeywordIndex(editId)];
    if (code == EN_MAXTEXT && !shown) {
        shown = true;
        PostMessageW(window, WM_APP_KEYWORD_CUT, static_cast<WPARAM>(editId), 0);
    } else if (code == EN_CHANGE &&
               static_cast<std::size_t>(GetWindowTextLengthW(Control(window, editId))) <
                   kMaxKeywordUnits) {
        shown = false;
    }
}

// The notices of a paste that a keyword edit cut, at the length limit or at
// a line break.
LRESULT OnKeywordPasteCut(HWND window, UINT notice, WPARAM editId) {
    const int keywordNumber = KeywordIndex(static_cast<int>(editId)) + 1;
    const std::string text = notice == WM_APP_KEYWORD_CUT ? KeywordCutText(keywordNumber)
                                                          : KeywordFirstLineKeptText(keywordNumber);
    MessageBoxW(window, Utf8ToWide(text).c_str(), kAppTitle, MB_ICONWARNING);
    return 0;
}

LRESULT OnCreate(HWND window) {
    g_app.mainWindow = window;
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
    return 0;
}

// The warning box of a refused keyword, then the caret in that keyword.
void ShowKeywordWarning(HWND window, const std::string& text, int editId) {
    MessageBoxW(window, Utf8ToWide(text).c_str(), kAppTitle, MB_ICONWARNING);
    SetFocus(Control(window, editId));
}

// A keyword can still exceed the limit when a program sets it with
// WM_SETTEXT, which the edit's limit does not cover; no generation runs from
// it, as none could from the command-line program.
bool KeywordsKeepTheRules(HWND window, const GenerationRequest& request) {
    const std::u16string* keywords[] = {&request.keyword1, &request.keyword2};
    for (int k = 0; k < 2; ++k) {
        const KeywordFault fault = CheckKeyword(*keywords[k]);
        if (fault == KeywordFault::None) continue;
        ShowKeywordWarning(window, KeywordFaultText(fault, k + 1),
                           k == 0 ? IDC_KEYWORD1 : IDC_KEYWORD2);
        return false;
    }
    return true;
}

void ShowMissingKeywordWarning(HWND window, bool keyword1Missing) {
    ShowKeywordWarning(window, kKeywordsRequiredText,
                       keyword1Missing ? IDC_KEYWORD1 : IDC_KEYWORD2);
}

// Hands a finished password to a new result window; the main window stays
// disabled until that window is gone.
void ShowResult(HWND window, Bytes& password) {
    StoreResultText(password);
    SecureWipeContents(password);

    HWND resultWindow = CreateResultWindow();
    if (!resultWindow) {
        // Nothing shows the password, so nothing keeps it; the main window
        // was never disabled.
        WipeResultText();
        MessageBoxW(window, kResultWindowFailedText, kAppTitle, MB_ICONERROR);
        return;
    }
    EnableWindow(window, FALSE);
    ShowWindow(resultWindow, SW_SHOW);
    UpdateWindow(resultWindow);
}

void RunGeneration(HWND window) {
    GenerationRequest request;
    const KeywordWipe keywordWipe{request};
    ReadKeyword(Control(window, IDC_KEYWORD1), request.keyword1);
    ReadKeyword(Control(window, IDC_KEYWORD2), request.keyword2);
    if (!IsComplete(request)) {
        ShowMissingKeywordWarning(window, request.keyword1.empty());
        return;
    }
    if (!KeywordsKeepTheRules(window, request)) return;

    Bytes keyword1 = ToUtf8(request.keyword1);
    Bytes keyword2 = ToUtf8(request.keyword2);
    request.length = static_cast<std::int32_t>(
        SendMessageW(Control(window, IDC_LENGTH), TBM_GETPOS, 0, 0));
    const bool symbolsOn = IsChecked(window, IDC_SYMBOLS);
    request.numbers = IsChecked(window, IDC_NUMBERS);
    request.uppercase = IsChecked(window, IDC_UPPERCASE);
    request.lowercase = IsChecked(window, IDC_LOWERCASE);
    request.symbols =
        symbolsOn ? FilterSymbols(ToU16(ReadWindowText(Control(window, IDC_ALLOWED)))) : "";
    g_app.estimateBits = EstimateEntropyBits(request.length, request.numbers, request.uppercase,
                                             request.lowercase, request.symbols);

    ArmCryptoFailureReport();
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    Bytes password = GeneratePassword(keyword1, keyword2, request.length, request.symbols,
                                      request.numbers, request.uppercase, request.lowercase);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    SecureWipeContents(keyword1);
    SecureWipeContents(keyword2);

    // A failed generation has already shown its box; its result is dropped
    // unwiped, like every other unshown value.
    if (IsCryptoFailureReportPending() && !password.empty()) ShowResult(window, password);
}

// One generation and one result window at a time. The disabled main window
// stops the user's clicks, but not clicks posted to the button (by UI
// automation or a screen reader): those arriving while a generation runs or
// its result window is open do nothing.
void OnGenerate(HWND window) {
    if (g_app.generationRunning || g_app.resultWindow) return;
    g_app.generationRunning = true;
    RunGeneration(window);
    g_app.generationRunning = false;
}

void OnSymbolsClicked(HWND window) {
    const BOOL on = SendMessageW(Control(window, IDC_SYMBOLS), BM_GETCHECK, 0, 0) == BST_CHECKED;
    EnableWindow(Control(window, IDC_ALLOWED), on);
    EnableWindow(Control(window, IDC_ALLOWED_LABEL), on);
}

// At least one letter case stays on: unchecking the last one checks the other.
void KeepOneLetterCase(HWND window, int otherCaseId) {
    if (!IsChecked(window, IDC_UPPERCASE) && !IsChecked(window, IDC_LOWERCASE)) {
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
