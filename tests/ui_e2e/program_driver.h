// Driving the program as a user would, through the messages that its
// controls send and receive, and the ids and names users' tools see.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "app_process.h"
#include "vectors/password_vectors.h"
#include "window_classes.h"

constexpr wchar_t kAppTitle[] = L"Tarnwell Password Generator";

enum ControlId : int {
    kKeyword1 = 101,
    kKeyword2 = 102,
    kLength = 103,
    kSymbols = 104,
    kNumbers = 105,
    kUppercase = 106,
    kLowercase = 107,
    kGenerate = 108,
    kAllowed = 109,
    kKeyword1Label = 120,
    kKeyword2Label = 121,
    kLengthLabel = 122,
    kAllowedLabel = 123,
    kResultEdit = 201,
    kCopy = 202,
    kResultLabel = 203,
    kMenuExit = 301,
    kMenuAbout = 302,
};

void SetControlText(HWND control, const std::wstring& text);
bool IsChecked(HWND main, int id);
// BM_CLICK, sent: returns once the click's command has been handled.
void Click(HWND main, int id);
// Moves the trackbar as a drag does: the new position, then WM_HSCROLL.
void DragTrackbarTo(HWND main, int position);
// Keywords, length, classes and symbols of a checked-in vector.
void EnterVector(HWND main, const PasswordVector& vector);
// The vector's keywords, one character message at a time, as typing them
// does: unlike WM_SETTEXT from another process, this leaves no copy of the
// whole keyword in the program's message buffers.
void TypeKeywords(HWND main, const PasswordVector& vector);
const PasswordVector& VectorNamed(const std::string& name);
std::wstring VectorPassword(const PasswordVector& vector);

// Clicks GENERATE PASSWORD without waiting (a box or a long generation may
// follow) and waits up to `timeoutMs` for the result window.
HWND GenerateAndWaitForResult(AppProcess& app, DWORD timeoutMs = 180000);
// Clicks COPY TO CLIPBOARD and waits for the result window to close.
bool CopyAndWaitForClose(HWND resultWindow);
// Waits up to 10 s for `expected` to be the clipboard's text.
bool WaitForClipboardText(const std::wstring& expected);
// Clicks COPY TO CLIPBOARD, waits for Copy to end (it closes the window),
// then for the text to reach the clipboard, and returns the moment of the
// click, which is when the program arms its timer; 0 if either never came.
ULONGLONG CopyAndWaitForClipboard(HWND resultWindow, const std::wstring& expected);
// A real mouse click in the middle of the control.
enum class MouseButton { kLeft, kRight };
void ClickMiddleOf(HWND control, MouseButton button);
// Real input goes to whichever window is active and under the pointer, so
// the tests that click or type run with the program alone on the display:
// another program's window, opening or closing, takes the activation from
// it.
// Brings the control's window to the front and clicks the middle of the
// control with real mouse input; true once the program has taken the click
// and the control has the focus.
bool ClickToFocus(const AppProcess& app, HWND control);
// Real key presses, as SendInput makes them: the keys go down in order and up
// in reverse, so {VK_CONTROL, 'C'} is Ctrl+C. Returns once the program's
// thread, which has the keyboard focus, has taken every key release and
// handled what the keys started; false if it did not within seconds.
bool PressKeys(const AppProcess& app, std::initializer_list<WORD> keys);
// The clipboard holds exactly `text`, with the three formats that keep it
// out of Windows' clipboard history and cloud clipboard and the hint that
// Linux clipboard managers honour, as every copy the program makes does.
void ExpectGuardedTextOnClipboard(const std::wstring& text);
// Closes a message box with its OK button and waits for it to go.
bool CloseMessageBox(HWND box);
// The message box's own text (the static with id 0xFFFF).
std::wstring MessageBoxText(HWND box);
// Expects a box of the application with this owner, text and icon (as the
// probe names it: "warning", "error"), then closes it with OK.
void ExpectMessageBoxAndClose(HWND box, HWND owner, const wchar_t* text, const wchar_t* icon);

// A test on one freshly started program, with its main window found.
class StartedProgramTest : public testing::Test {
protected:
    void SetUp() override {
        main_ = app_.WaitForMainWindow();
        ASSERT_NE(main_, nullptr) << "the main window never appeared";
    }
    HWND Item(int id) const { return GetDlgItem(main_, id); }

    AppProcess app_;
    HWND main_ = nullptr;
};
