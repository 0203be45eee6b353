// The keyword edits stay plain single-line edits. A subclass makes every copy
// or cut of keyword text go through the clipboard guard, keeps no undo, and
// has the main window tell the user when a paste lost lines.
#pragma once

#include <windows.h>

// Posted to the edit's parent once a paste into it has finished and kept only
// the first of the pasted lines; wParam is the edit's id.
constexpr UINT WM_APP_KEYWORD_LINES_CUT = WM_APP + 2;

void SubclassKeywordEdit(HWND edit);
