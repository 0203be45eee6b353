// The hook DLL's side of EditLimitWatch: runs in the program's thread.
#include <windows.h>

#include "edit_limit_watch.h"

extern "C" __declspec(dllexport) LRESULT CALLBACK RecordEditLimits(int code, WPARAM wParam,
                                                                    LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == EM_SETLIMITTEXT) {
        if (HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kEditLimitLogName)) {
            if (auto* log = static_cast<EditLimitLog*>(
                    MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(EditLimitLog)))) {
                const LONG slot = InterlockedIncrement(&log->used) - 1;
                if (slot < kEditLimitLogSlots) {
                    log->calls[slot] = EditLimitCall{GetCurrentProcessId(),
                                                     GetDlgCtrlID(call->hwnd), call->wParam};
                }
                UnmapViewOfFile(log);
            }
            CloseHandle(mapping);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
