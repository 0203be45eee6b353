// The clipboard guard: Copy from the result window, and the check run by the
// main window's timer 30 seconds later.
#pragma once

#include <windows.h>

#include <string>

enum class CopyResult { kCopied, kClipboardBusy, kFailed };

// Puts `text` on the clipboard and arms the guard for it. On any failure the
// guard keeps guarding what it guarded before, and the clipboard holds either
// what it held before or nothing, never the text without its exclusion formats.
CopyResult CopyToClipboardAndArmGuard(HWND resultWindow, const std::wstring& text);
// The check, when the guard's timer (or its retry timer) fires: a busy
// clipboard is tried again a little later instead of being given up on.
void RunClipboardCheck();
void RetryClipboardCheck();
// The check at once, for a program that is ending: with a few short retries,
// since Windows allows a program only seconds to end its session.
void RunClipboardCheckBeforeExit();
