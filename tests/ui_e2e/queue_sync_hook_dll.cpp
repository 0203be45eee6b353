// The hook DLL's side of the queue synchronisation: runs in the thread that
// the test synchronises with.
#include <windows.h>

#include "queue_sync.h"

namespace {

// The shared table, kept mapped for the life of the process: markers come
// often.
QueueLogSlot* Slots() {
    static QueueLogSlot* slots = [] {
        HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kQueueLogName);
        return mapping ? static_cast<QueueLogSlot*>(MapViewOfFile(
                             mapping, FILE_MAP_WRITE, 0, 0, sizeof(QueueLogSlot) * kQueueLogSlots))
                       : nullptr;
    }();
    return slots;
}

// This thread's slot, or null when the test does not watch it.
QueueLogSlot* ThisThreadsSlot() {
    QueueLogSlot* slots = Slots();
    const DWORD processId = GetCurrentProcessId();
    const DWORD threadId = GetCurrentThreadId();
    for (int i = 0; slots && i < kQueueLogSlots; ++i) {
        if (slots[i].threadId == threadId && slots[i].processId == processId) return &slots[i];
    }
    return nullptr;
}

}  // namespace

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
        if (QueueLogSlot* slot = ThisThreadsSlot()) InterlockedIncrement(&(slot->*counter));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Records the activations that this thread has handled (ActivationsOf): the
// window first, then the count the test waits on.
extern "C" __declspec(dllexport) LRESULT CALLBACK WatchActivation(int code, WPARAM wParam,
                                                              LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_ACTIVATE &&
        LOWORD(call->wParam) != WA_INACTIVE) {
        if (QueueLogSlot* slot = ThisThreadsSlot()) {
            InterlockedExchange(&slot->activeWindow, HandleToLong(call->hwnd));
            InterlockedIncrement(&slot->activations);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
