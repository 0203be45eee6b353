// The clipboard guard: every copy of a secret that a program makes (the
// password, a keyword) goes through here, and 30 seconds later the guard
// empties the clipboard if it still holds exactly that text. The guard owns
// its state: the guarded text, its timers and its retries. A program gives it
// the window that owns the clipboard at the copy and a window of its own for
// the timers, hands that window's guard timers to HandleClipboardGuardTimer,
// calls RunClipboardCheckIfDue after every message of its loop, and calls
// RunClipboardCheckBeforeExit before it ends.
#pragma once

#include <windows.h>

#include <cstddef>

#include "ui/win_handles.h"

// The guard's timers on the timer window: the check, 30 seconds after the
// last copy, and its retries while another program holds the clipboard. The
// retries have a timer of their own, so that the check's timer still fires
// exactly once per copy.
constexpr UINT_PTR ID_CLEAR_CLIPBOARD_TIMER = 1;
constexpr UINT_PTR ID_CLIPBOARD_RETRY_TIMER = 2;

enum class CopyResult { kCopied, kClipboardBusy, kFailed };

// Puts the `length` units at `text` on the clipboard, opened with `owner`,
// together with the formats that keep it out of clipboard histories, and
// arms the guard for it on `timerWindow`. On any failure the guard keeps
// guarding what it guarded before, and the clipboard holds either what it
// held before or nothing, never the text without those formats.
CopyResult CopyToClipboardAndArmGuard(HWND owner, HWND timerWindow, const wchar_t* text,
                                      std::size_t length);

// For the timer window's WM_TIMER: runs the check or its retry when the timer
// is one of the guard's, and then returns true.
bool HandleClipboardGuardTimer(UINT_PTR timerId);

// For the message loop of the timer window's thread, after every message:
// runs the check or its retry when it is overdue and its timer message has
// not come. Windows makes a WM_TIMER only when no posted message waits, so any
// program of the desktop that keeps posting to our window could otherwise
// hold the check off for as long as it posts. A comparison with the clock
// until then.
void RunClipboardCheckIfDue();

// True from a copy until its check has run: a program that exists only to
// copy (a command-line program, say) keeps its message loop until then.
bool ClipboardGuardIsArmed();

// The check at once, for a program that is ending: tried for a few seconds,
// since Windows allows a program only seconds to end its session; after that
// the program ends all the same.
void RunClipboardCheckBeforeExit();

// Opens `clipboard` with `owner` as Copy does, with a try of about a second,
// for a program that looks at the clipboard outside the guard's own check.
bool OpenClipboardAsCopyDoes(ClipboardSession& clipboard, HWND owner);
