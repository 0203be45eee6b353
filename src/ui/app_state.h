// The one process-wide record of the Windows program, and the texts and
// names that both windows share.
#pragma once

#include <windows.h>

#include <string>

constexpr wchar_t kAppTitle[] = L"Tarnwell Password Generator";
constexpr wchar_t kMainClassName[] = L"VORKAMainClass";
constexpr wchar_t kResultClassName[] = L"VORKAResultClass";
// Help > About opens this page: the homepage, written once in CMakeLists.txt.
constexpr wchar_t kMakerPageAddress[] = TARNWELL_HOMEPAGE_URL;
constexpr wchar_t kResultWindowFailedText[] =
    L"The window with the password could not be opened. Try again.";
// A copy to the clipboard that did not happen: the clipboard held by another
// program, from either window, or another failure, of the password or of a
// keyword.
constexpr wchar_t kClipboardBusyText[] = L"The clipboard is in use by another program. Try again.";
constexpr wchar_t kCopyFailedText[] =
    L"The password could not be put on the clipboard. Try again.";
constexpr wchar_t kKeywordCopyFailedText[] =
    L"The keyword could not be put on the clipboard. Try again.";

struct AppState {
    HINSTANCE instance = nullptr;
    HFONT uiFont = nullptr;        // the system's message font; every control but two
    HFONT passwordFont = nullptr;  // 12-point Segoe UI; the result window's edit
    HWND mainWindow = nullptr;
    HWND resultWindow = nullptr;   // null unless a result window is open
    std::wstring resultText;       // the password being shown; wiped when its window closes
    double estimateBits = 0.0;     // strength of the last generation
    WNDPROC resultEditProc = nullptr;   // the password edit's own procedure, under the subclass
    // True for the length of one generation. The crypto failure box runs its
    // own message loop inside a generation, so GENERATE PASSWORD can be
    // clicked again while one is under way; that click must not start a
    // nested generation.
    bool generationRunning = false;
    // Per keyword edit: the user has been told that a paste was cut at the
    // length limit, and is not told again until the text is shorter.
    bool keywordCutNoticeShown[2] = {false, false};
};

extern AppState g_app;
