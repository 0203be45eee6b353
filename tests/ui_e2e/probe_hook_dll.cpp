// The hook DLL's side of the probe: runs in the program's thread.
#include <windows.h>

#include <cstdio>
#include <cstring>
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
        Append(report, L"text.address", Hex(text));
        GlobalUnlock(block);
    }
    CloseClipboard();
}

// The program's import entry for `function` from `dll`, or null.
void** FindImportEntry(const char* dll, const char* function) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return nullptr;
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
             base + directory.VirtualAddress);
         entry->Name != 0; ++entry) {
        if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
        const auto* names =
            reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        auto** slots = reinterpret_cast<void**>(base + entry->FirstThunk);
        for (std::size_t i = 0; names[i].u1.AddressOfData != 0; ++i) {
            if (IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal)) continue;
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                return &slots[i];
            }
        }
    }
    return nullptr;
}

bool WriteImportEntry(void** entry, void* target) {
    DWORD previous = 0;
    if (!entry || !VirtualProtect(entry, sizeof(void*), PAGE_READWRITE, &previous)) return false;
    *entry = target;
    VirtualProtect(entry, sizeof(void*), previous, &previous);
    return true;
}

// The originals, kept while an entry points at a stand-in below.
void* g_realGlobalAlloc = nullptr;
void* g_realSetClipboardData = nullptr;

HGLOBAL WINAPI FailingGlobalAlloc(UINT, SIZE_T) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

HANDLE WINAPI SetClipboardDataTextOnly(UINT format, HANDLE data) {
    if (format == CF_UNICODETEXT) {
        return reinterpret_cast<decltype(&SetClipboardData)>(g_realSetClipboardData)(format, data);
    }
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
}

// Points one import entry at a stand-in, remembering the original once.
bool Divert(const char* dll, const char* function, void** original, void* standIn) {
    void** entry = FindImportEntry(dll, function);
    if (!entry) return false;
    if (!*original) *original = *entry;
    // The entry now leads into this DLL, which must stay loaded even after
    // the test removes its hook.
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(standIn), &self);
    return WriteImportEntry(entry, standIn);
}

bool Restore(const char* dll, const char* function, void** original) {
    if (!*original) return true;
    return WriteImportEntry(FindImportEntry(dll, function), *original);
}

void PatchImports(ProbeTopic topic, std::wstring& report) {
    bool done = false;
    switch (topic) {
        case ProbeTopic::kFailGlobalAlloc:
            done = Divert("kernel32.dll", "GlobalAlloc", &g_realGlobalAlloc,
                          reinterpret_cast<void*>(&FailingGlobalAlloc));
            break;
        case ProbeTopic::kFailNonTextClipboardData:
            done = Divert("user32.dll", "SetClipboardData", &g_realSetClipboardData,
                          reinterpret_cast<void*>(&SetClipboardDataTextOnly));
            break;
        default:
            done = Restore("kernel32.dll", "GlobalAlloc", &g_realGlobalAlloc) &&
                   Restore("user32.dll", "SetClipboardData", &g_realSetClipboardData);
            break;
    }
    Append(report, L"imports",
           !done ? L"failed" : topic == ProbeTopic::kRestoreImports ? L"restored" : L"patched");
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
        const auto topic = static_cast<ProbeTopic>(call->wParam);
        if (topic == ProbeTopic::kClipboard) {
            ReportClipboard(report);
        } else if (topic != ProbeTopic::kWindow) {
            PatchImports(topic, report);
        } else {
            ReportFonts(call->hwnd, report);
            ReportMenu(call->hwnd, report);
            ReportIcon(call->hwnd, report);
        }
        WriteReport(report);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Counts the clipboard timer and retry timer messages that this process's
// thread takes from its queue (ClipboardTimerWatch).
extern "C" __declspec(dllexport) LRESULT CALLBACK WatchClipboardTimer(int code, WPARAM wParam,
                                                                       LPARAM lParam) {
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    LONG TimerLogSlot::*counter = nullptr;
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == WM_TIMER) {
        if (message->wParam == kClipboardTimerId) counter = &TimerLogSlot::timerMessages;
        if (message->wParam == kClipboardRetryTimerId) counter = &TimerLogSlot::retryMessages;
    }
    if (counter) {
        if (HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kTimerLogName)) {
            const DWORD bytes = sizeof(TimerLogSlot) * kTimerLogSlots;
            if (auto* slots = static_cast<TimerLogSlot*>(
                    MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, bytes))) {
                for (int i = 0; i < kTimerLogSlots; ++i) {
                    if (slots[i].processId == GetCurrentProcessId()) {
                        InterlockedIncrement(&(slots[i].*counter));
                    }
                }
                UnmapViewOfFile(slots);
            }
            CloseHandle(mapping);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Counts the markers and releases that this thread takes from its queue
// (WaitForPostedMessages, ReleasesTaken).
extern "C" __declspec(dllexport) LRESULT CALLBACK WatchQueue(int code, WPARAM wParam,
                                                              LPARAM lParam) {
    static const UINT marker = RegisterWindowMessageW(kSyncMarkerName);
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    LONG QueueLogSlot::*counter = nullptr;
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        if (message->message == marker) counter = &QueueLogSlot::markers;
        switch (message->message) {
            case WM_KEYUP:
            case WM_SYSKEYUP:
            case WM_LBUTTONUP:
            case WM_RBUTTONUP:
            case WM_NCLBUTTONUP:
            case WM_NCRBUTTONUP:
                counter = &QueueLogSlot::releases;
                break;
            default:
                break;
        }
    }
    if (counter) {
        // Kept mapped for the life of the process: markers come often.
        static QueueLogSlot* slots = [] {
            HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kQueueLogName);
            return mapping ? static_cast<QueueLogSlot*>(MapViewOfFile(
                                 mapping, FILE_MAP_WRITE, 0, 0,
                                 sizeof(QueueLogSlot) * kQueueLogSlots))
                           : nullptr;
        }();
        const DWORD processId = GetCurrentProcessId();
        const DWORD threadId = GetCurrentThreadId();
        for (int i = 0; slots && i < kQueueLogSlots; ++i) {
            if (slots[i].threadId == threadId && slots[i].processId == processId) {
                InterlockedIncrement(&(slots[i].*counter));
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Refuses the creation of every window of the class that the test names
// (ResultWindowRefusal).
extern "C" __declspec(dllexport) LRESULT CALLBACK RefuseResultWindow(int code, WPARAM wParam,
                                                                      LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        wchar_t name[256] = {};
        GetClassNameW(reinterpret_cast<HWND>(wParam), name, 256);
        if (std::wcscmp(name, kRefusedWindowClass) == 0) return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
