#include "result_window_refusal.h"

#include "queue_sync.h"

ResultWindowRefusal::ResultWindowRefusal(HWND mainWindow)
    : hook_(dll_.SetHook(WH_CBT, "RefuseResultWindow",
                         GetWindowThreadProcessId(mainWindow, nullptr))) {
    // The hook DLL is loaded into the program at its next message.
    if (hook_) SyncWithProgram(mainWindow);
}

ResultWindowRefusal::~ResultWindowRefusal() {
    if (hook_) UnhookWindowsHookEx(hook_);
}
