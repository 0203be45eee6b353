#include "app_process.h"

#include <algorithm>
#include <cstring>

#include "fault_injection.h"
#include "probe_hook.h"

ProgramPaths g_programPaths;

std::wstring Utf8ToWide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int units =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], units);
    return wide;
}

std::string WideToUtf8(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], bytes,
                        nullptr, nullptr);
    return utf8;
}

std::wstring ToWindowsPath(const std::string& path) {
    std::wstring wide = Utf8ToWide(path);
    if (wide.empty() || wide[0] != L'/') return wide;
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    return L"Z:" + wide;
}

namespace {

struct TopLevelSearch {
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<TopLevelSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || ClassNameOf(window) != search->className) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

AppProcess::AppProcess() { Start(g_programPaths.program, nullptr); }

AppProcess::AppProcess(const FaultPlan& plan) {
    std::wstring environment = plan.Environment();
    Start(FaultCopyPath(), &environment[0]);
}

AppProcess::AppProcess(const std::wstring& path) { Start(path, nullptr); }

AppProcess::AppProcess(Suspended) { Start(g_programPaths.program, nullptr, CREATE_SUSPENDED); }

void AppProcess::Start(const std::wstring& path, wchar_t* environment, DWORD flags) {
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT | flags, environment, nullptr, &startup,
                        &process_)) {
        process_ = PROCESS_INFORMATION{};
    }
}

bool AppProcess::Resume() const {
    return Started() && ResumeThread(process_.hThread) == 1;
}

AppProcess::~AppProcess() {
    if (!Started()) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        // Boxes first, so that the program's thread is back in its own loop.
        for (HWND box = FindMessageBox(); box; box = FindMessageBox()) {
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            if (!WaitUntil([&] { return !IsWindow(box); }, 2000)) break;
        }
        HWND result = FindTopLevel(L"VORKAResultClass");
        if (result) PostMessageW(result, WM_CLOSE, 0, 0);
        if (mainWindow_ && IsWindow(mainWindow_)) PostMessageW(mainWindow_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.hProcess, 15000) == WAIT_TIMEOUT) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 5000);
        }
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

HWND AppProcess::FindTopLevel(const wchar_t* className) const {
    if (!Started()) return nullptr;
    TopLevelSearch search{process_.dwProcessId, className, nullptr};
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND AppProcess::WaitForTopLevel(const wchar_t* className, DWORD timeoutMs) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopLevel(className)) != nullptr; }, timeoutMs);
    // A window is found as soon as it exists, before its controls and text
    // do; shown and with its thread back in a message loop, it is complete.
    if (found && WaitUntil([&] { return IsWindowVisible(found) != FALSE; }, timeoutMs)) {
        SyncWithProgram(found);
    }
    return found;
}

HWND AppProcess::WaitForMainWindow(DWORD timeoutMs) {
    // Shown means start-up is over: the controls and menu exist.
    mainWindow_ = WaitForTopLevel(L"VORKAMainClass", timeoutMs);
    return mainWindow_;
}

bool AppProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (!Started() || WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    GetExitCodeProcess(process_.hProcess, exitCode);
    return true;
}

HWND AppProcess::FocusWindow() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(process_.dwThreadId, &info)) return nullptr;
    return info.hwndFocus;
}

std::wstring WindowText(HWND window) {
    // WM_GETTEXT rather than GetWindowTextW, which does not read other
    // processes' controls.
    const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(length + 1),
                     reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

std::wstring ClassNameOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

DWORD StyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)); }

DWORD ExStyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)); }

RECT WindowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT RectInParent(HWND window) {
    RECT rect = WindowRect(window);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE ClientSize(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

std::vector<HWND> ChildrenInOrder(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

void SyncWithProgram(HWND window) {
    // A sent message is handled before posted ones, so first wait until the
    // thread has taken everything posted so far; then the sent one returns
    // only once the thread is back in a message loop, after what it started
    // (a generation keeps it busy for seconds).
    WaitForPostedMessages(window, 120000);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &ignored);
}

bool OpenClipboardWhenFree() {
    return WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 1000);
}

std::wstring ReadClipboardText(bool* hasText) {
    *hasText = false;
    std::wstring text;
    if (!OpenClipboardWhenFree()) return text;
    HANDLE block = GetClipboardData(CF_UNICODETEXT);
    if (block) {
        if (const auto* data = static_cast<const wchar_t*>(GlobalLock(block))) {
            const std::size_t units = GlobalSize(block) / sizeof(wchar_t);
            std::size_t length = 0;
            while (length < units && data[length] != L'\0') ++length;
            text.assign(data, length);
            *hasText = true;
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    return text;
}

ClipboardHolder::ClipboardHolder()
    : window_(CreateWindowExW(0, L"STATIC", L"clipboard holder", 0, 0, 0, 1, 1, HWND_MESSAGE,
                              nullptr, nullptr, nullptr)),
      open_(OpenClipboard(window_) != FALSE) {}

void ClipboardHolder::Release() {
    if (open_) CloseClipboard();
    open_ = false;
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
}

bool PutTextOnClipboard(const std::wstring& text) {
    if (!OpenClipboardWhenFree()) return false;
    EmptyClipboard();
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool placed = false;
    if (block) {
        std::memcpy(GlobalLock(block), text.c_str(), bytes);
        GlobalUnlock(block);
        placed = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        if (!placed) GlobalFree(block);
    }
    CloseClipboard();
    return placed;
}
