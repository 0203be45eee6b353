// When the clipboard check runs. The check itself changes nothing that
// another process could see when it leaves the clipboard alone; so a hook,
// kept on each watched program's thread, counts the clipboard timer
// messages (WM_TIMER, id 1) and the retry timer messages of a check that
// found the clipboard busy (id 2) that the thread takes from its queue, in a
// shared table of one slot per process.
#pragma once

#include <windows.h>

#include "hook_dll.h"
#include "shared_memory.h"

constexpr wchar_t kTimerLogName[] = L"TarnwellE2eTimerLog";
constexpr UINT_PTR kClipboardTimerId = 1;
constexpr UINT_PTR kClipboardRetryTimerId = 2;
struct TimerLogSlot {
    DWORD processId;
    LONG timerMessages;
    LONG retryMessages;
};
constexpr int kTimerLogSlots = 32;

class ClipboardTimerWatch {
public:
    ClipboardTimerWatch();
    ~ClipboardTimerWatch();
    ClipboardTimerWatch(const ClipboardTimerWatch&) = delete;
    ClipboardTimerWatch& operator=(const ClipboardTimerWatch&) = delete;

    // Starts counting for the thread of `mainWindow`; false if the hook or
    // the table is missing, or the table is full.
    bool Watch(HWND mainWindow);
    // The clipboard timer messages taken so far by the process that owns
    // `mainWindow`. Once this has grown, SyncWithProgram returns only when
    // the check that the message started has finished.
    LONG TimerMessages(HWND mainWindow) const;
    // The retry timer messages taken so far by that process.
    LONG RetryMessages(HWND mainWindow) const;

private:
    HookDll dll_;
    SharedMemory table_;
    TimerLogSlot* slots_;
    int used_ = 0;
    HHOOK hooks_[kTimerLogSlots] = {};

    TimerLogSlot* SlotOf(HWND mainWindow) const;
};
