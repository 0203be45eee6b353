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
