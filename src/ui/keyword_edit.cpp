// The keyword edits' subclass. A keyword is the master secret: copied or cut,
// it gets the same exclusion formats, hint and 30-second guard as the
// password; deleted or typed over, it leaves nothing for an undo to bring
// back.
#include "ui/keyword_edit.h"

#include <windows.h>

#include <string>

#include "crypto/crypto.h"
#include "ui/app_state.h"
#include "clipboard/clipboard_guard.h"
#include "clipboard/clipboard_text.h"
#include "ui/ui_texts.h"
#include "platform/win_handles.h"
#include "ui/wide_text.h"

namespace {

// Both keyword edits are of the system's EDIT class: one procedure under
// the subclass serves both.
WNDPROC g_editProc = nullptr;

LRESULT CallEdit(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(g_editProc, edit, message, wParam, lParam);
}

bool IsKeyDown(int key) { return GetKeyState(key) < 0; }

struct Selection {
    DWORD start = 0;
    DWORD end = 0;
};

Selection SelectionOf(HWND edit) {
    Selection selection;
    CallEdit(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&selection.start),
             reinterpret_cast<LPARAM>(&selection.end));
    return selection;
}

std::size_t TextLengthOf(HWND edit) {
    return static_cast<std::size_t>(CallEdit(edit, WM_GETTEXTLENGTH, 0, 0));
}

// Copies the selection, which is what the user asked for, through the guard
// with the main window as the clipboard's owner and the guard's host. A cut
// removes the selection once it is on the clipboard; a failure leaves the
// edit as it was and says so.
void CopySelection(HWND edit, bool cut) {
    const Selection selection = SelectionOf(edit);
    if (selection.end <= selection.start) return;
    std::wstring text = ReadWindowText(edit);
    CopyResult result = CopyResult::kFailed;
    if (selection.end <= text.size()) {
        result = CopyToClipboardAndArmGuard(g_app.mainWindow, g_app.mainWindow,
                                            text.data() + selection.start,
                                            selection.end - selection.start);
    }
    SecureWipeContents(text);
    if (result == CopyResult::kCopied) {
        if (cut) CallEdit(edit, WM_CLEAR, 0, 0);
        return;
    }
    MessageBoxW(g_app.mainWindow,
                result == CopyResult::kClipboardBusy ? kClipboardBusyText : kKeywordCopyFailedText,
                kAppTitle, MB_ICONWARNING);
}

// The edit's own paste, then a look at what it kept: a single-line edit keeps
// the first line of a text and drops the rest without a word. The notice is
// posted, so that it opens once the paste has finished.
LRESULT PasteAndCheckLines(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    const Selection selection = SelectionOf(edit);
    const std::size_t lengthBefore = TextLengthOf(edit);
    const LRESULT result = CallEdit(edit, message, wParam, lParam);
    const std::size_t kept = TextLengthOf(edit) + (selection.end - selection.start) - lengthBefore;
    bool droppedLines = false;
    {
        ClipboardSession clipboard(edit);
        HANDLE block = clipboard.IsOpen() ? GetClipboardData(CF_UNICODETEXT) : nullptr;
        if (block) {
            GlobalLockView view(block);
            droppedLines = view.Data() && PasteDroppedLines(static_cast<const wchar_t*>(view.Data()),
                                                            GlobalSize(block), kept);
        }
    }
    if (droppedLines) {
        PostMessageW(GetParent(edit), WM_APP_KEYWORD_LINES_CUT,
                     static_cast<WPARAM>(GetDlgCtrlID(edit)), 0);
    }
    return result;
}

// Wine's edit copies on Ctrl+Insert and cuts on Shift+Delete by itself,
// without a WM_COPY or WM_CUT, and pastes on Shift+Insert without a
// WM_PASTE; those keys are taken here before the edit sees them.
LRESULT OnKeyDown(HWND edit, WPARAM key, LPARAM lParam) {
    const bool control = IsKeyDown(VK_CONTROL);
    const bool shift = IsKeyDown(VK_SHIFT);
    if (key == VK_INSERT && control && !shift) {
        CopySelection(edit, false);
        return 0;
    }
    if (key == VK_DELETE && shift && !control) {
        const Selection selection = SelectionOf(edit);
        if (selection.end > selection.start) {
            CopySelection(edit, true);
            return 0;
        }
    }
    if (key == VK_INSERT && shift && !control) {
        return PasteAndCheckLines(edit, WM_KEYDOWN, key, lParam);
    }
    return CallEdit(edit, WM_KEYDOWN, key, lParam);
}

LRESULT HandleMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COPY:
            CopySelection(edit, false);
            return 0;
        case WM_CUT:
            CopySelection(edit, true);
            return 0;
        case WM_PASTE:
            return PasteAndCheckLines(edit, message, wParam, lParam);
        case WM_KEYDOWN:
            return OnKeyDown(edit, wParam, lParam);
        default:
            return CallEdit(edit, message, wParam, lParam);
    }
}

// The undo buffer would bring back, on Ctrl+Z or an EM_UNDO sent by any
// process, a keyword that the user has just deleted or typed over. It is
// emptied after every message the edit handles, whatever changed the text.
void ForgetUndo(HWND edit) {
    if (CallEdit(edit, EM_CANUNDO, 0, 0)) CallEdit(edit, EM_EMPTYUNDOBUFFER, 0, 0);
}

LRESULT CALLBACK KeywordEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = HandleMessage(edit, message, wParam, lParam);
    // After WM_NCDESTROY the edit has let go of its state.
    if (message != WM_NCDESTROY) ForgetUndo(edit);
    return result;
}

}  // namespace

void SubclassKeywordEdit(HWND edit) {
    if (!edit) return;
    // Taken before the subclass is in place: the edit's next message needs it.
    g_editProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit, GWLP_WNDPROC));
    SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(KeywordEditProc));
}
