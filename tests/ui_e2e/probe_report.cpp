// The test's side of the probe: installs the hook DLL on the program's
// thread and reads its report.
#include "probe_report.h"

#include <cwchar>

#include "hook_dll.h"
#include "shared_memory.h"

namespace {

ProbeReport ParseReport(const std::wstring& text) {
    ProbeReport report;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = text.substr(start, end - start);
        const std::size_t equals = line.find(L'=');
        if (equals != std::wstring::npos) report[line.substr(0, equals)] = line.substr(equals + 1);
        start = end + 1;
    }
    return report;
}

}  // namespace

ProbeReport ProbeWindow(HWND window, ProbeTopic topic) {
    const HookDll dll;
    const SharedMemory block(kProbeReportName, kProbeReportBytes);
    const auto* view = block.As<wchar_t>();
    if (!view) return {};
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    HHOOK hook = dll.SetHook(WH_CALLWNDPROC, "ProbeCallWndProc", thread);
    if (!hook) return {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, RegisterWindowMessageW(kProbeMessageName),
                        static_cast<WPARAM>(topic), 0, SMTO_NORMAL, 10000, &ignored);
    ProbeReport report =
        ParseReport(std::wstring(view, wcsnlen(view, kProbeReportBytes / sizeof(wchar_t))));
    UnhookWindowsHookEx(hook);
    return report;
}
