// The hook DLL's side of the queue synchronisation: runs in the thread that
// the test synchronises with.
#include <windows.h>

#include "queue_sync.h"

// Counts the markers and releases that this thread takes from its queue
// (WaitForPostedMessages, ReleasesTaken).
extern "C" __declspec(dllexport) LRESULT CALLBACK WatchQueue(int code, WPARAM wParam,
                                                              LPARAM lParam) {
    static const UINT marker = RegisterWindowMessageW(kSyncMarkerName);
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    LONG QueueLogSlot::*counter = nullptr;
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        if (message->message == marker) counter = &QueueLogSlot::markers;
        switch (message->message) {
            case WM_KEYUP:
            case WM_SYSKEYUP:
            case WM_LBUTTONUP:
            case WM_RBUTTONUP:
            case WM_NCLBUTTONUP:
            case WM_NCRBUTTONUP:
                counter = &QueueLogSlot::releases;
                break;
            default:
                break;
        }
    }
    if (counter) {
        // Kept mapped for the life of the process: markers come often.
        static QueueLogSlot* slots = [] {
            HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kQueueLogName);
            return mapping ? static_cast<QueueLogSlot*>(MapViewOfFile(
                                 mapping, FILE_MAP_WRITE, 0, 0,
                                 sizeof(QueueLogSlot) * kQueueLogSlots))
                           : nullptr;
        }();
        const DWORD processId = GetCurrentProcessId();
        const DWORD threadId = GetCurrentThreadId();
        for (int i = 0; slots && i < kQueueLogSlots; ++i) {
            if (slots[i].threadId == threadId && slots[i].processId == processId) {
                InterlockedIncrement(&(slots[i].*counter));
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
