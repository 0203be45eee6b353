// Reading what Wine does not let another process read: a window's menu, the
// fonts of its controls and a message box's icon. A hook DLL, loaded into the
// program's thread, answers a registered message with a report in shared
// memory, as lines of "key=value".
#pragma once

#include <windows.h>

#include <map>
#include <string>

constexpr wchar_t kProbeMessageName[] = L"TarnwellE2eProbe";
constexpr wchar_t kProbeReportName[] = L"TarnwellE2eProbeReport";
constexpr DWORD kProbeReportBytes = 64 * 1024;

// Keys of a report on a window W:
//   font.<id>      the font handle of W's child <id> ("0" for none), as hex
//   face.<id>      that font's face name, height and weight: "Segoe UI|-16|400"
//   menu.<i>       the text of W's top-level menu item i
//   menu.<i>.<j>   "<text>|<id>" of item j of pop-up i
//   icon           the stock icon W's icon static shows: warning, error,
//                  information, question, none or other
// Keys of a report on the clipboard, as the program itself sees it:
//   clipboard          "open", or "busy" when it could not be opened
//   text.bytes         the size of the CF_UNICODETEXT block, or "none"
//   text.length        the units before the first zero unit in the block
//   text.terminated    "yes" when the block holds a zero unit, else "no"
//   text.address       where the program sees the block's text, as hex
using ProbeReport = std::map<std::wstring, std::wstring>;

// Besides reports, the probe can make the program's own calls fail, by
// pointing its import entries at stand-ins in the hook DLL (kernel32 is a
// KnownDLL, so no planted DLL could): every GlobalAlloc, or SetClipboardData
// for any format other than text. kRestoreImports undoes both. Its report
// says "imports=patched" or "imports=restored" when it worked.
enum class ProbeTopic : WPARAM {
    kWindow = 0,
    kClipboard = 1,
    kFailGlobalAlloc = 2,
    kFailNonTextClipboardData = 3,
    kRestoreImports = 4,
};

// Installs the hook on the program's thread, sends the probe to `window`,
// and returns the report; empty when the hook could not be installed.
ProbeReport ProbeWindow(HWND window, ProbeTopic topic = ProbeTopic::kWindow);

// Makes the program fail to create its result window, for as long as the
// object lives: a CBT hook on the program's thread refuses every window of
// that class.
constexpr wchar_t kRefusedWindowClass[] = L"VORKAResultClass";
class ResultWindowRefusal {
public:
    explicit ResultWindowRefusal(HWND mainWindow);
    ~ResultWindowRefusal();
    ResultWindowRefusal(const ResultWindowRefusal&) = delete;
    ResultWindowRefusal& operator=(const ResultWindowRefusal&) = delete;
    bool Active() const { return hook_ != nullptr; }

private:
    HMODULE dll_ = nullptr;
    HHOOK hook_ = nullptr;
};

// When the clipboard check runs. The check itself changes nothing that
// another process could see when it leaves the clipboard alone; so a second
// hook, kept on each watched program's thread, counts the clipboard timer
// messages (WM_TIMER, id 1) and the retry timer messages of a check that
// found the clipboard busy (id 2) that the thread takes from its queue, in a
// shared table of one slot per process.
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
    HMODULE dll_ = nullptr;
    HANDLE mapping_ = nullptr;
    TimerLogSlot* slots_ = nullptr;
    int used_ = 0;
    HHOOK hooks_[kTimerLogSlots] = {};

    TimerLogSlot* SlotOf(HWND mainWindow) const;
};

// Knowing when the program's thread has handled what the test gave it. A
// WH_GETMESSAGE hook, set once on each thread the test synchronises with,
// counts in a shared table the markers (a registered message the test posts)
// and the key and button releases that the thread takes from its queue. A
// posted message is taken only after everything posted before it; real input
// is taken after every posted message, so for it the last release itself is
// what the test waits for.
constexpr wchar_t kQueueLogName[] = L"TarnwellE2eQueueLog";
constexpr wchar_t kSyncMarkerName[] = L"TarnwellE2eSyncMarker";
struct QueueLogSlot {
    DWORD processId;
    DWORD threadId;
    LONG markers;
    LONG releases;  // keys and mouse buttons, client and non-client area
};
constexpr int kQueueLogSlots = 1024;

// Posts a marker to `window` and waits up to `timeoutMs` until its thread
// has taken it; false on time-out or when the thread cannot be watched.
bool WaitForPostedMessages(HWND window, DWORD timeoutMs);
// The key and mouse button releases taken so far by `window`'s thread,
// counted from the first call for that thread; -1 if it cannot be watched.
LONG ReleasesTaken(HWND window);
