// The texts and window class names that both windows of the Windows program
// share.
#pragma once

#include <windows.h>

constexpr wchar_t kAppTitle[] = L"Tarnwell Password Generator";
// The VORKA prefix of the window class names is not a leftover to tidy up:
// users' tools find the windows by these names (automation scripts,
// auto-type rules, accessibility settings), so the names are part of what
// the program promises and are never renamed.
constexpr wchar_t kMainClassName[] = L"VORKAMainClass";
constexpr wchar_t kResultClassName[] = L"VORKAResultClass";
// Help > About opens this page: the homepage, written once in CMakeLists.txt.
constexpr wchar_t kMakerPageAddress[] = TARNWELL_HOMEPAGE_URL;
// Settings that the window's own controls never give, but another program
// can set by sending the controls messages; the command-line program refuses
// the same settings. The length's text is made from the range
// (generation_command.cpp).
constexpr wchar_t kNoLetterCaseText[] =
    L"Check Uppercase, Lowercase or both: one letter case stays on.";
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
