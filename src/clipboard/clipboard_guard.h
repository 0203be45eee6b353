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

enum class CopyResult { kCopied, kClipboardBusy, kFailed };

// What the check of the last copy found: kPending until it has run, or
// while it waits for a busy clipboard; then whether it took the text off,
// left the clipboard alone because the content had changed, or could not
// open the clipboard (the text may still be there).
enum class GuardCheck { kPending, kCleared, kLeftAlone, kBusy };

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

// What the check of the last copy found so far.
GuardCheck LastClipboardCheck();

// Milliseconds until the check of the last copy is due, 0 once it is due or
// when nothing is guarded. A program that waits for the check (a
// command-line program, say) counts down on this clock, and runs the check
// itself once it is due, since a queue full of posted messages holds
// WM_TIMER back.
unsigned long long MsUntilClipboardCheck();

// For a program told that the clipboard changed (WM_CLIPBOARDUPDATE): looks
// at it once, with a try of about a second. When it holds something other
// than the guarded text, the guard lets go and reports kLeftAlone; kPending
// when the text is still there (a clipboard manager may have taken it over),
// kBusy when the clipboard could not be opened, to be looked at again.
GuardCheck NoteClipboardChanged();

// For the message loop of the timer window's thread, after every message:
// runs the check or its retry when it is overdue and its timer message has
// not come. Windows makes a WM_TIMER only when no posted message waits, so any
// program of the desktop that keeps posting to our window could otherwise
// hold the check off for as long as it posts. A comparison with the clock
// until then.
void RunClipboardCheckIfDue();

// The check at once, for a program that is ending: tried for a few seconds,
// since Windows allows a program only seconds to end its session; after that
// the program ends all the same. Returns what the check found, or what the
// last check found when nothing was left to guard.
GuardCheck RunClipboardCheckBeforeExit();
