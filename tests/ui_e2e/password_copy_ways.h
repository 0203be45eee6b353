// The ways the password in the result window reaches the clipboard: the
// window's button, the password edit's keys and context menu, and Copies
// that first fail, at a clipboard held open or inside the program.
#pragma once

#include <windows.h>

#include "app_process.h"

// How the password reaches the clipboard.
enum class AtCopy {
    kButton,                  // COPY TO CLIPBOARD
    kCtrlC,                   // typed in the password edit
    kCtrlInsert,
    kContextMenu,             // the password edit's Select All, then Copy
    // A first Copy, then a second generation whose Copy finds the clipboard
    // held open by another application.
    kSecondCopyWhileHeldOpen,
    kButtonWithoutMemory,     // every GlobalAlloc fails at the first try
    kButtonWithoutNoHistory,  // the exclusion formats are refused at the first try
};

// The second generation of the held-open case, whose Copy fails.
constexpr char kSecondVector[] = "lowercase-only";

// A program showing its result window, the password to copy in it.
struct ProgramAtCopy {
    AppProcess* app;
    HWND main;
    HWND result;
};

// Copies the password `atCopy`'s way, with fatal failures when it could
// not; returns once the program has handled the Copy.
void CopyThePassword(AtCopy atCopy, const ProgramAtCopy& instance);
