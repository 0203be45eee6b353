// Knowing when the program's thread has handled what the test gave it. A
// WH_GETMESSAGE hook, set once on each thread the test synchronises with,
// counts in a shared table the markers (a registered message the test posts)
// and the key and button releases that the thread takes from its queue. A
// posted message is taken only after everything posted before it; real input
// is taken after every posted message, so for it the last release itself is
// what the test waits for. A WH_CALLWNDPROCRET hook on the same thread
// records the activations that the thread has handled: WM_ACTIVATE is sent,
// never taken from the queue.
#pragma once

#include <windows.h>

constexpr wchar_t kQueueLogName[] = L"TarnwellE2eQueueLog";
constexpr wchar_t kSyncMarkerName[] = L"TarnwellE2eSyncMarker";
struct QueueLogSlot {
    DWORD processId;
    DWORD threadId;
    LONG markers;
    LONG releases;  // keys and mouse buttons, client and non-client area
    LONG activations;   // WM_ACTIVATE that made one of its windows active
    LONG activeWindow;  // the window of the last activation, as a handle value
};

// What a thread has handled of activation, counted from the first call for
// that thread.
struct Activations {
    LONG count = 0;
    HWND last = nullptr;  // the window that the last one made active
};
constexpr int kQueueLogSlots = 1024;

// Posts a marker to `window` and waits up to `timeoutMs` until its thread
// has taken it; false on time-out or when the thread cannot be watched.
bool WaitForPostedMessages(HWND window, DWORD timeoutMs);
// The markers taken so far by `window`'s thread, counted from the first call
// for that thread; -1 if it cannot be watched. A test that posts markers of
// its own learns from this how many still wait in the queue.
LONG MarkersTaken(HWND window);
// The key and mouse button releases taken so far by `window`'s thread,
// counted from the first call for that thread; -1 if it cannot be watched.
LONG ReleasesTaken(HWND window);
// The activations handled so far by `window`'s thread; false if it cannot be
// watched.
bool ActivationsOf(HWND window, Activations* events);
// Makes `window` the foreground window and waits up to `timeoutMs` until its
// thread has handled the activation; true at once if it is active already.
bool ActivateAndWait(HWND window, DWORD timeoutMs);

// Returns once the program's thread has handled everything sent or posted
// before: a generation in progress blocks this until it is done.
void SyncWithProgram(HWND window);
