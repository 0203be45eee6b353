#include "clipboard_timer_watch.h"

#include "queue_sync.h"

ClipboardTimerWatch::ClipboardTimerWatch()
    : table_(kTimerLogName, sizeof(TimerLogSlot) * kTimerLogSlots),
      slots_(table_.As<TimerLogSlot>()) {}

ClipboardTimerWatch::~ClipboardTimerWatch() {
    for (int i = 0; i < used_; ++i) {
        if (hooks_[i]) UnhookWindowsHookEx(hooks_[i]);
    }
}

bool ClipboardTimerWatch::Watch(HWND mainWindow) {
    if (!slots_ || used_ == kTimerLogSlots) return false;
    DWORD processId = 0;
    const DWORD thread = GetWindowThreadProcessId(mainWindow, &processId);
    // The slot first: the hook may fire as soon as it is set.
    slots_[used_] = TimerLogSlot{processId, 0, 0};
    hooks_[used_] = dll_.SetHook(WH_GETMESSAGE, "WatchClipboardTimer", thread);
    if (!hooks_[used_]) {
        slots_[used_] = TimerLogSlot{};
        return false;
    }
    ++used_;
    // The hook DLL is loaded into the program at its next message.
    SyncWithProgram(mainWindow);
    return true;
}

TimerLogSlot* ClipboardTimerWatch::SlotOf(HWND mainWindow) const {
    DWORD processId = 0;
    GetWindowThreadProcessId(mainWindow, &processId);
    for (int i = 0; i < used_; ++i) {
        if (slots_[i].processId == processId) return &slots_[i];
    }
    return nullptr;
}

LONG ClipboardTimerWatch::TimerMessages(HWND mainWindow) const {
    TimerLogSlot* slot = SlotOf(mainWindow);
    return slot ? InterlockedCompareExchange(&slot->timerMessages, 0, 0) : -1;
}

LONG ClipboardTimerWatch::RetryMessages(HWND mainWindow) const {
    TimerLogSlot* slot = SlotOf(mainWindow);
    return slot ? InterlockedCompareExchange(&slot->retryMessages, 0, 0) : -1;
}
