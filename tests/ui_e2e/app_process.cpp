#include "app_process.h"

#include "fault_injection.h"
#include "program_paths.h"
#include "queue_sync.h"
#include "support/top_level_window.h"
#include "wait_until.h"
#include "window_classes.h"

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
        HWND result = FindTopLevel(kResultClass);
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
    return FindTopLevelWindow(process_.dwProcessId, className);
}

HWND AppProcess::WaitForTopLevel(const wchar_t* className, DWORD timeoutMs) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopLevel(className)) != nullptr; }, timeoutMs);
    // A window is found as soon as it exists, before its controls and text
    // do; shown and with its thread back in a message loop, it is complete.
    if (!found || !WaitUntil([&] { return IsWindowVisible(found) != FALSE; }, timeoutMs)) {
        return nullptr;
    }
    SyncWithProgram(found);
    return found;
}

HWND AppProcess::WaitForMainWindow(DWORD timeoutMs) {
    // Shown means start-up is over: the controls and menu exist.
    mainWindow_ = WaitForTopLevel(kMainClass, timeoutMs);
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
