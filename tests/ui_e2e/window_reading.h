// Reading another process's windows from the outside, the way a user's tools
// would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

std::wstring WindowText(HWND window);
std::wstring ClassNameOf(HWND window);
DWORD StyleOf(HWND window);
DWORD ExStyleOf(HWND window);
// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);
RECT WindowRect(HWND window);
SIZE ClientSize(HWND window);
// The direct children in creation (Z) order.
std::vector<HWND> ChildrenInOrder(HWND parent);
