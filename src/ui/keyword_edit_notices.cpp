// The notices of a paste that a keyword edit cut.
#include "ui/keyword_edit_notices.h"

#include <windows.h>

#include <cstddef>
#include <string>

#include "derivation/keyword_rules.h"
#include "ui/main_window_controls.h"
#include "ui/ui_ids.h"
#include "ui/ui_texts.h"
#include "ui/wide_text.h"

namespace {

// Per keyword edit: the user has been told that a paste was cut at the
// length limit, and is not told again until the text is shorter.
bool g_cutNoticeShown[2] = {false, false};

int KeywordIndex(int editId) { return editId == IDC_KEYWORD1 ? 0 : 1; }

}  // namespace

// EN_MAXTEXT: the edit dropped what did not fit. Said once per edit, until
// its text is shorter than the limit again (EN_CHANGE).
void OnKeywordEditNotification(HWND window, int editId, WORD code) {
    bool& shown = g_cutNoticeShown[KeywordIndex(editId)];
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
