// The test's side of the probe: installs the hook DLL on the program's
// thread and reads its report.
#include "probe_hook.h"

#include <cstring>

ProbeReport ProbeWindow(HWND window) {
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
        SendMessageTimeoutW(window, RegisterWindowMessageW(kProbeMessageName), 0, 0, SMTO_NORMAL,
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
