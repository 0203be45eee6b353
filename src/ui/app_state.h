// The one process-wide record of the Windows program: what both windows and
// the message loop need. Each window keeps the rest itself.
#pragma once

#include <windows.h>

struct AppState {
    HINSTANCE instance = nullptr;
    HFONT uiFont = nullptr;        // the system's message font; every control but two
    HFONT passwordFont = nullptr;  // 12-point Segoe UI; the result window's edit
    HWND mainWindow = nullptr;
    HWND resultWindow = nullptr;   // null unless a result window is open
};

extern AppState g_app;
