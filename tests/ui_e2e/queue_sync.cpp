#include "queue_sync.h"

#include "hook_dll.h"
#include "shared_memory.h"
#include "wait_until.h"

namespace {

// The table and the hooks live as long as the test program: a hook ends with
// the thread it watches, and the DLL stays loaded for hooks still set.
struct QueueLog {
    HookDll dll;
    SharedMemory table{kQueueLogName, sizeof(QueueLogSlot) * kQueueLogSlots};
    QueueLogSlot* slots = table.As<QueueLogSlot>();
    int used = 0;
};

QueueLog& TheQueueLog() {
    static QueueLog* const log = new QueueLog;  // never freed, see above
    return *log;
}

// The slot of `window`'s thread, its hook set on first use; null if the
// thread cannot be watched.
QueueLogSlot* WatchedSlot(HWND window) {
    QueueLog& log = TheQueueLog();
    DWORD processId = 0;
    const DWORD threadId = GetWindowThreadProcessId(window, &processId);
    if (!threadId || !log.slots) return nullptr;
    for (int i = 0; i < log.used; ++i) {
        if (log.slots[i].threadId == threadId && log.slots[i].processId == processId) {
            return &log.slots[i];
        }
    }
    if (log.used == kQueueLogSlots) return nullptr;
    // The slot first: the hook may fire as soon as it is set.
    QueueLogSlot* slot = &log.slots[log.used];
    *slot = QueueLogSlot{processId, threadId, 0, 0, 0, 0};
    if (!log.dll.SetHook(WH_GETMESSAGE, "WatchQueue", threadId) ||
        !log.dll.SetHook(WH_CALLWNDPROCRET, "WatchActivation", threadId)) {
        *slot = QueueLogSlot{};
        return nullptr;
    }
    ++log.used;
    return slot;
}

}  // namespace

bool WaitForPostedMessages(HWND window, DWORD timeoutMs) {
    static const UINT marker = RegisterWindowMessageW(kSyncMarkerName);
    QueueLogSlot* slot = WatchedSlot(window);
    if (!slot) return false;
    const LONG before = InterlockedCompareExchange(&slot->markers, 0, 0);
    if (!PostMessageW(window, marker, 0, 0)) return false;
    return WaitUntil([&] { return InterlockedCompareExchange(&slot->markers, 0, 0) > before; },
                     timeoutMs);
}

LONG MarkersTaken(HWND window) {
    QueueLogSlot* slot = WatchedSlot(window);
    return slot ? InterlockedCompareExchange(&slot->markers, 0, 0) : -1;
}

LONG ReleasesTaken(HWND window) {
    QueueLogSlot* slot = WatchedSlot(window);
    return slot ? InterlockedCompareExchange(&slot->releases, 0, 0) : -1;
}

bool ActivationsOf(HWND window, Activations* events) {
    QueueLogSlot* slot = WatchedSlot(window);
    if (!slot) return false;
    events->count = InterlockedCompareExchange(&slot->activations, 0, 0);
    events->last = static_cast<HWND>(
        LongToHandle(InterlockedCompareExchange(&slot->activeWindow, 0, 0)));
    return true;
}

bool ActivateAndWait(HWND window, DWORD timeoutMs) {
    Activations before;
    if (!ActivationsOf(window, &before)) return false;
    if (GetForegroundWindow() == window) return true;
    if (!SetForegroundWindow(window)) return false;
    return WaitUntil(
        [&] {
            Activations now;
            return ActivationsOf(window, &now) && now.count > before.count &&
                   now.last == window;
        },
        timeoutMs);
}

void SyncWithProgram(HWND window) {
    // A sent message is handled before posted ones, so first wait until the
    // thread has taken everything posted so far; then the sent one returns
    // only once the thread is back in a message loop, after what it started
    // (a generation keeps it busy for seconds).
    WaitForPostedMessages(window, 120000);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &ignored);
}
