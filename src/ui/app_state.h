// The one process-wide record of the Windows program.
#pragma once

#include <windows.h>

#include <string>

struct AppState {
    HINSTANCE instance = nullptr;
    HFONT uiFont = nullptr;        // the system's message font; every control but two
    HFONT passwordFont = nullptr;  // 12-point Segoe UI; the result window's edit
    HWND mainWindow = nullptr;
    HWND resultWindow = nullptr;   // null unless a result window is open
    // True for the length of one generation. The crypto failure box runs its
    // own message loop inside a generation, so GENERATE PASSWORD can be
    // clicked again while one is under way; that click must not start a
    // nested generation.
    bool generationRunning = false;
    // Per keyword edit: the user has been told that a paste was cut at the
    // length limit, and is not told again until the text is shorter.
    bool keywordCutNoticeShown[2] = {false, false};
};

extern AppState g_app;
