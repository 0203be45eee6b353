// What the main window tells the user when a paste into a keyword edit was
// cut: at the length limit, or at a line break.
#pragma once

#include <windows.h>

// Posted by a keyword edit's EN_MAXTEXT, so that the notice box opens after
// the edit has finished the paste it cut; wParam is the edit's id. The
// edits' own subclass posts WM_APP_KEYWORD_LINES_CUT (keyword_edit.h).
constexpr UINT WM_APP_KEYWORD_CUT = WM_APP + 1;

// A keyword edit's EN_ notification `code`.
void OnKeywordEditNotification(HWND window, int editId, WORD code);

// WM_APP_KEYWORD_CUT or WM_APP_KEYWORD_LINES_CUT: the notice box.
LRESULT OnKeywordPasteCut(HWND window, UINT notice, WPARAM editId);
