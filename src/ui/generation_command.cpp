// The generation command of the main window.
#include "ui/generation_command.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "crypto/crypto.h"
#include "derivation/generation_request.h"
#include "derivation/keyword_rules.h"
#include "derivation/password_generator.h"
#include "derivation/utf8.h"
#include "ui/app_state.h"
#include "ui/main_window_controls.h"
#include "ui/result_window.h"
#include "ui/ui_ids.h"
#include "ui/ui_texts.h"
#include "ui/wide_text.h"

namespace {

// True for the length of one generation. The crypto failure box runs its
// own message loop inside a generation, so GENERATE PASSWORD can be clicked
// again while one is under way; that click must not start a nested
// generation.
bool g_generationRunning = false;

// Windows' wchar_t is UTF-16 already: the same units, under the core's type.
// Into `out`, so that a keyword is not left in a temporary.
void AssignAsU16(const std::wstring& text, std::u16string& out) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t is 16-bit");
    out.assign(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

// Reads a keyword edit straight into the request; the one intermediate copy
// is wiped here.
void ReadKeyword(HWND edit, std::u16string& keyword) {
    std::wstring text = ReadWindowText(edit);
    AssignAsU16(text, keyword);
    SecureWipeContents(text);
}

// The Allowed field's symbols, filtered.
std::string ReadAllowedSymbols(HWND window) {
    std::u16string allowed;
    AssignAsU16(ReadWindowText(Control(window, IDC_ALLOWED)), allowed);
    return FilterSymbols(allowed);
}

// The UTF-16 keyword copies are wiped however the generation ends.
struct KeywordWipe {
    GenerationRequest& request;
    ~KeywordWipe() {
        SecureWipeContents(request.keyword1);
        SecureWipeContents(request.keyword2);
    }
};

// The warning box of a refused keyword, then the caret in that keyword.
void ShowKeywordWarning(HWND window, const std::string& text, int editId) {
    MessageBoxW(window, Utf8ToWide(text).c_str(), kAppTitle, MB_ICONWARNING);
    SetFocus(Control(window, editId));
}

// A missing keyword first, then any other fault, in the order the
// command-line program names them too. A keyword can still exceed the limit
// when a program sets it with WM_SETTEXT, which the edit's limit does not
// cover; no generation runs from it, as none could from the command-line
// program.
bool KeywordsKeepTheRules(HWND window, const GenerationRequest& request) {
    const KeywordVerdict verdict = CheckKeywordPair(request.keyword1, request.keyword2);
    if (verdict.fault == KeywordFault::None) return true;
    ShowKeywordWarning(window, KeywordFaultText(verdict.fault, verdict.keywordNumber),
                       verdict.keywordNumber == 1 ? IDC_KEYWORD1 : IDC_KEYWORD2);
    return false;
}

// The length, the classes and the symbols, as the controls hold them.
void ReadSettings(HWND window, GenerationRequest& request) {
    request.length = static_cast<std::int32_t>(
        SendMessageW(Control(window, IDC_LENGTH), TBM_GETPOS, 0, 0));
    request.numbers = IsChecked(window, IDC_NUMBERS);
    request.uppercase = IsChecked(window, IDC_UPPERCASE);
    request.lowercase = IsChecked(window, IDC_LOWERCASE);
    request.symbols = IsChecked(window, IDC_SYMBOLS) ? ReadAllowedSymbols(window) : "";
}

// The controls keep to the rules while the user works them, but not while
// another program sends them messages (a length range widened, both letter
// cases unchecked): no password comes from settings that the command-line
// program would refuse. Judged before the keywords, as there.
bool SettingsKeepTheRules(HWND window, const GenerationRequest& request) {
    std::wstring text;
    switch (CheckSettings(request)) {
        case SettingsFault::None: return true;
        case SettingsFault::LengthOutOfRange:
            text = L"The password length must be from " + std::to_wstring(kMinLength) + L" to " +
                   std::to_wstring(kMaxLength) + L".";
            break;
        case SettingsFault::NoLetterCase: text = kNoLetterCaseText; break;
    }
    MessageBoxW(window, text.c_str(), kAppTitle, MB_ICONWARNING);
    return false;
}

// Hands a finished password to a new result window; the main window stays
// disabled until that window is gone.
void ShowResult(HWND window, Bytes& password, double estimateBits) {
    HWND resultWindow = CreateResultWindow(password, estimateBits);
    SecureWipeContents(password);
    if (!resultWindow) {
        // The main window was never disabled.
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
    ReadSettings(window, request);
    if (!SettingsKeepTheRules(window, request)) return;
    ReadKeyword(Control(window, IDC_KEYWORD1), request.keyword1);
    ReadKeyword(Control(window, IDC_KEYWORD2), request.keyword2);
    if (!KeywordsKeepTheRules(window, request)) return;

    Bytes keyword1 = ToUtf8(request.keyword1);
    Bytes keyword2 = ToUtf8(request.keyword2);
    const double estimateBits =
        EstimateEntropyBits(request.length, request.numbers, request.uppercase,
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
    if (IsCryptoFailureReportPending() && !password.empty()) {
        ShowResult(window, password, estimateBits);
    }
}

}  // namespace

void OnGenerate(HWND window) {
    if (g_generationRunning || g_app.resultWindow) return;
    g_generationRunning = true;
    RunGeneration(window);
    g_generationRunning = false;
}
