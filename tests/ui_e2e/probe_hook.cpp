// The test's side of the probe: installs the hook DLL on the program's
// thread and reads its report.
#include "probe_hook.h"

#include <cstring>

#include "app_process.h"

ProbeReport ProbeWindow(HWND window, ProbeTopic topic) {
    ProbeReport report;
    HMODULE dll = LoadLibraryW(L"ui_probe_hook.dll");
    auto procedure =
        // Through void(*)(), the generic function pointer type, as GetProcAddress intends.
        dll ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(
                  GetProcAddress(dll, "ProbeCallWndProc")))
            : nullptr;
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        kProbeReportBytes, kProbeReportName);
    auto* view = mapping ? static_cast<wchar_t*>(
                               MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kProbeReportBytes))
                         : nullptr;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    HHOOK hook = procedure && view ? SetWindowsHookExW(WH_CALLWNDPROC, procedure, dll, thread)
                                   : nullptr;
    if (hook) {
        view[0] = L'\0';
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, RegisterWindowMessageW(kProbeMessageName),
                            static_cast<WPARAM>(topic), 0, SMTO_NORMAL,
                            10000, &ignored);
        std::wstring text(view, wcsnlen(view, kProbeReportBytes / sizeof(wchar_t)));
        for (std::size_t start = 0; start < text.size();) {
            std::size_t end = text.find(L'\n', start);
            if (end == std::wstring::npos) end = text.size();
            const std::wstring line = text.substr(start, end - start);
            const std::size_t equals = line.find(L'=');
            if (equals != std::wstring::npos) report[line.substr(0, equals)] = line.substr(equals + 1);
            start = end + 1;
        }
        UnhookWindowsHookEx(hook);
    }
    if (view) UnmapViewOfFile(view);
    if (mapping) CloseHandle(mapping);
    if (dll) FreeLibrary(dll);
    return report;
}

ResultWindowRefusal::ResultWindowRefusal(HWND mainWindow) {
    dll_ = LoadLibraryW(L"ui_probe_hook.dll");
    auto procedure = dll_ ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(
                                GetProcAddress(dll_, "RefuseResultWindow")))
                          : nullptr;
    if (procedure) {
        hook_ = SetWindowsHookExW(WH_CBT, procedure, dll_,
                                  GetWindowThreadProcessId(mainWindow, nullptr));
    }
    // The hook DLL is loaded into the program at its next message.
    if (hook_) SyncWithProgram(mainWindow);
}

ResultWindowRefusal::~ResultWindowRefusal() {
    if (hook_) UnhookWindowsHookEx(hook_);
    if (dll_) FreeLibrary(dll_);
}

ClipboardTimerWatch::ClipboardTimerWatch() {
    dll_ = LoadLibraryW(L"ui_probe_hook.dll");
    const DWORD bytes = sizeof(TimerLogSlot) * kTimerLogSlots;
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, bytes,
                                  kTimerLogName);
    if (mapping_) {
        slots_ = static_cast<TimerLogSlot*>(
            MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, bytes));
    }
    if (slots_) std::memset(slots_, 0, bytes);
}

ClipboardTimerWatch::~ClipboardTimerWatch() {
    for (int i = 0; i < used_; ++i) {
        if (hooks_[i]) UnhookWindowsHookEx(hooks_[i]);
    }
    if (slots_) UnmapViewOfFile(slots_);
    if (mapping_) CloseHandle(mapping_);
    if (dll_) FreeLibrary(dll_);
}

bool ClipboardTimerWatch::Watch(HWND mainWindow) {
    auto procedure = dll_ ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(
                                GetProcAddress(dll_, "WatchClipboardTimer")))
                          : nullptr;
    if (!procedure || !slots_ || used_ == kTimerLogSlots) return false;
    DWORD processId = 0;
    const DWORD thread = GetWindowThreadProcessId(mainWindow, &processId);
    // The slot first: the hook may fire as soon as it is set.
    slots_[used_] = TimerLogSlot{processId, 0, 0};
    hooks_[used_] = SetWindowsHookExW(WH_GETMESSAGE, procedure, dll_, thread);
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

namespace {

// The table and the hooks live as long as the test program: a hook ends with
// the thread it watches.
struct QueueLog {
    HMODULE dll = nullptr;
    HOOKPROC procedure = nullptr;
    QueueLogSlot* slots = nullptr;
    int used = 0;
};

QueueLog& TheQueueLog() {
    static QueueLog log = [] {
        QueueLog made;
        made.dll = LoadLibraryW(L"ui_probe_hook.dll");
        made.procedure = made.dll ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(
                                        GetProcAddress(made.dll, "WatchQueue")))
                                  : nullptr;
        const DWORD bytes = sizeof(QueueLogSlot) * kQueueLogSlots;
        HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            bytes, kQueueLogName);
        if (mapping) {
            made.slots = static_cast<QueueLogSlot*>(
                MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, bytes));
        }
        if (made.slots) std::memset(made.slots, 0, bytes);
        return made;
    }();
    return log;
}

// The slot of `window`'s thread, its hook set on first use; null if the
// thread cannot be watched.
QueueLogSlot* WatchedSlot(HWND window) {
    QueueLog& log = TheQueueLog();
    DWORD processId = 0;
    const DWORD threadId = GetWindowThreadProcessId(window, &processId);
    if (!threadId || !log.procedure || !log.slots) return nullptr;
    for (int i = 0; i < log.used; ++i) {
        if (log.slots[i].threadId == threadId && log.slots[i].processId == processId) {
            return &log.slots[i];
        }
    }
    if (log.used == kQueueLogSlots) return nullptr;
    // The slot first: the hook may fire as soon as it is set.
    QueueLogSlot* slot = &log.slots[log.used];
    *slot = QueueLogSlot{processId, threadId, 0, 0};
    if (!SetWindowsHookExW(WH_GETMESSAGE, log.procedure, log.dll, threadId)) {
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

LONG ReleasesTaken(HWND window) {
    QueueLogSlot* slot = WatchedSlot(window);
    return slot ? InterlockedCompareExchange(&slot->releases, 0, 0) : -1;
}
