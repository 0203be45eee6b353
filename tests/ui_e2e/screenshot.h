// Pictures of the program's windows, for people to look at.
#pragma once

#include <windows.h>

#include <string>

extern std::string g_screenshotDirectory;  // a Unix path
// Saves the screen area of `window` (frame included) as a PNG in the build
// folder's screenshots folder; returns the Unix path written, or empty. A
// picture that cannot be taken is reported on the output and fails no test.
std::string SaveScreenshot(HWND window, const std::string& name);
