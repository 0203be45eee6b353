// The hook DLL's side of ClipboardTimerWatch: runs in the program's thread.
#include <windows.h>

#include "clipboard_timer_watch.h"

// Counts the clipboard timer and retry timer messages that this process's
// thread takes from its queue (ClipboardTimerWatch).
extern "C" __declspec(dllexport) LRESULT CALLBACK WatchClipboardTimer(int code, WPARAM wParam,
                                                                       LPARAM lParam) {
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    LONG TimerLogSlot::*counter = nullptr;
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == WM_TIMER) {
        if (message->wParam == kClipboardTimerId) counter = &TimerLogSlot::timerMessages;
        if (message->wParam == kClipboardRetryTimerId) counter = &TimerLogSlot::retryMessages;
    }
    if (counter) {
        if (HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kTimerLogName)) {
            const DWORD bytes = sizeof(TimerLogSlot) * kTimerLogSlots;
            if (auto* slots = static_cast<TimerLogSlot*>(
                    MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, bytes))) {
                for (int i = 0; i < kTimerLogSlots; ++i) {
                    if (slots[i].processId == GetCurrentProcessId()) {
                        InterlockedIncrement(&(slots[i].*counter));
                    }
                }
                UnmapViewOfFile(slots);
            }
            CloseHandle(mapping);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
