// Waiting for a condition that another process brings about.
#pragma once

#include <windows.h>

// Waits until `condition` holds, polling every 10 ms; false on time-out.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(10);
    }
}

// Waits until the tick count reaches `moment`, for the waits where real time
// is the promise under test (the guard's 30 seconds).
inline void SleepUntil(ULONGLONG moment) {
    const ULONGLONG now = GetTickCount64();
    if (now < moment) Sleep(static_cast<DWORD>(moment - now));
}
