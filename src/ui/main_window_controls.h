// The main window's controls: their layout and creation, with the menus and
// the fonts, and the small reads and writes that several of its parts make.
#pragma once

#include <windows.h>

HWND Control(HWND window, int id);
bool IsChecked(HWND window, int id);
// The length label, which says the trackbar's position.
void ShowLength(HWND window, int length);

// The menus and every control, in their starting state.
void CreateMainWindowControls(HWND window);
