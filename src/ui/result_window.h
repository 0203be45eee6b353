// The result window: one password with its strength, modal over the main
// window.
#pragma once

#include <windows.h>

LRESULT CALLBACK ResultWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Creates the result window, centred over the main window. Null on failure.
HWND CreateResultWindow();
// Overwrites the result text with zeros and empties it.
void WipeResultText();
