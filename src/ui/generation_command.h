// GENERATE PASSWORD: the main window's inputs read, checked and turned into
// a password, which a new result window shows.
#pragma once

#include <windows.h>

// One generation and one result window at a time. The disabled main window
// stops the user's clicks, but not clicks posted to the button (by UI
// automation or a screen reader): those arriving while a generation runs or
// its result window is open do nothing.
void OnGenerate(HWND window);
