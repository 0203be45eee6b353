// The hook DLL's side of the probe: runs in the program's thread.
#include <windows.h>

#include <cstdio>
#include <string>

#include "probe_hook.h"

namespace {

void Append(std::wstring& report, const std::wstring& key, const std::wstring& value) {
    report += key + L"=" + value + L"\n";
}

std::wstring Hex(const void* handle) {
    wchar_t text[32];
    swprintf(text, 32, L"%llx", static_cast<unsigned long long>(
                                    reinterpret_cast<UINT_PTR>(handle)));
    return text;
}

void ReportFonts(HWND window, std::wstring& report) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring id = std::to_wstring(GetDlgCtrlID(child));
        auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        Append(report, L"font." + id, Hex(font));
        LOGFONTW logFont{};
        if (font && GetObjectW(font, sizeof(logFont), &logFont) == sizeof(logFont)) {
            Append(report, L"face." + id,
                   std::wstring(logFont.lfFaceName) + L"|" + std::to_wstring(logFont.lfHeight) +
                       L"|" + std::to_wstring(logFont.lfWeight));
        }
    }
}

void ReportMenu(HWND window, std::wstring& report) {
    HMENU menu = GetMenu(window);
    if (!menu) return;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        GetMenuStringW(menu, i, text, 256, MF_BYPOSITION);
        Append(report, L"menu." + std::to_wstring(i), text);
        HMENU popup = GetSubMenu(menu, i);
        const int items = popup ? GetMenuItemCount(popup) : 0;
        for (int j = 0; j < items; ++j) {
            GetMenuStringW(popup, j, text, 256, MF_BYPOSITION);
            Append(report, L"menu." + std::to_wstring(i) + L"." + std::to_wstring(j),
                   std::wstring(text) + L"|" +
                       std::to_wstring(static_cast<int>(GetMenuItemID(popup, j))));
        }
    }
}

void ReportIcon(HWND window, std::wstring& report) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
        auto icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        const struct {
            LPCWSTR stock;
            const wchar_t* name;
        } stockIcons[] = {{IDI_WARNING, L"warning"},
                          {IDI_ERROR, L"error"},
                          {IDI_INFORMATION, L"information"},
                          {IDI_QUESTION, L"question"}};
        std::wstring name = icon ? L"other" : L"none";
        for (const auto& stock : stockIcons) {
            if (icon && icon == LoadIconW(nullptr, stock.stock)) name = stock.name;
        }
        Append(report, L"icon", name);
        return;
    }
    Append(report, L"icon", L"none");
}

void ReportClipboard(std::wstring& report) {
    if (!OpenClipboard(nullptr)) {
        Append(report, L"clipboard", L"busy");
        return;
    }
    Append(report, L"clipboard", L"open");
    HANDLE block = GetClipboardData(CF_UNICODETEXT);
    const auto* text = block ? static_cast<const wchar_t*>(GlobalLock(block)) : nullptr;
    if (!text) {
        Append(report, L"text.bytes", L"none");
    } else {
        const SIZE_T bytes = GlobalSize(block);
        const SIZE_T units = bytes / sizeof(wchar_t);
        SIZE_T length = 0;
        while (length < units && text[length] != L'\0') ++length;
        Append(report, L"text.bytes", std::to_wstring(bytes));
        Append(report, L"text.length", std::to_wstring(length));
        Append(report, L"text.terminated", length < units ? L"yes" : L"no");
        GlobalUnlock(block);
    }
    CloseClipboard();
}

void WriteReport(const std::wstring& report) {
    HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kProbeReportName);
    if (!mapping) return;
    if (void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, kProbeReportBytes)) {
        const std::size_t units = std::min<std::size_t>(report.size(),
                                                        kProbeReportBytes / sizeof(wchar_t) - 1);
        auto* text = static_cast<wchar_t*>(view);
        report.copy(text, units);
        text[units] = L'\0';
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeCallWndProc(int code, WPARAM wParam,
                                                                    LPARAM lParam) {
    static const UINT probeMessage = RegisterWindowMessageW(kProbeMessageName);
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == probeMessage) {
        std::wstring report;
        if (call->wParam == static_cast<WPARAM>(ProbeTopic::kClipboard)) {
            ReportClipboard(report);
        } else {
            ReportFonts(call->hwnd, report);
            ReportMenu(call->hwnd, report);
            ReportIcon(call->hwnd, report);
        }
        WriteReport(report);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Counts the clipboard timer messages that this process's thread takes from
// its queue (ClipboardTimerWatch).
extern "C" __declspec(dllexport) LRESULT CALLBACK WatchClipboardTimer(int code, WPARAM wParam,
                                                                       LPARAM lParam) {
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == WM_TIMER &&
        message->wParam == kClipboardTimerId) {
        if (HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kTimerLogName)) {
            const DWORD bytes = sizeof(TimerLogSlot) * kTimerLogSlots;
            if (auto* slots = static_cast<TimerLogSlot*>(
                    MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, bytes))) {
                for (int i = 0; i < kTimerLogSlots; ++i) {
                    if (slots[i].processId == GetCurrentProcessId()) {
                        InterlockedIncrement(&slots[i].timerMessages);
                    }
                }
                UnmapViewOfFile(slots);
            }
            CloseHandle(mapping);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
