// The result window: one password with its strength, modal over the main
// window.
#pragma once

#include <windows.h>

#include "crypto/crypto.h"

LRESULT CALLBACK ResultWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Creates the result window, centred over the main window, showing the
// password (UTF-8) under its strength. The window keeps its own copy of the
// text, wiped when the window closes; `password` stays the caller's. Null
// on failure, with no copy left behind.
HWND CreateResultWindow(const Bytes& password, double estimateBits);
