// Starting the real program, finding its top-level windows, and closing or
// ending it when the test is done.
#pragma once

#include <windows.h>

#include <string>

class FaultPlan;

// One running instance of the program. Closes it, or ends it, when the test
// is done with it.
class AppProcess {
public:
    // The program as built.
    AppProcess();
    // The program's copy that loads the stand-in bcrypt.dll, failing the
    // calls that `plan` names (fault_injection.h).
    explicit AppProcess(const FaultPlan& plan);
    // Another copy of the program.
    explicit AppProcess(const std::wstring& path);
    // The program as built, its main thread held before it runs until
    // Resume(), so that a test can watch it from its very start.
    struct Suspended {};
    explicit AppProcess(Suspended);
    ~AppProcess();
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    bool Started() const { return process_.hProcess != nullptr; }
    DWORD ProcessId() const { return process_.dwProcessId; }
    DWORD MainThreadId() const { return process_.dwThreadId; }
    // Lets a program started suspended run; false if it was not suspended.
    bool Resume() const;
    HANDLE ProcessHandle() const { return process_.hProcess; }
    // The main window, waited for up to `timeoutMs`; null if it never came.
    HWND WaitForMainWindow(DWORD timeoutMs = 20000);
    HWND MainWindow() const { return mainWindow_; }
    // The program's top-level window of this class, or null.
    HWND FindTopLevel(const wchar_t* className) const;
    // Waits for such a window and then until it is shown and complete; null
    // if it never came, or never showed.
    HWND WaitForTopLevel(const wchar_t* className, DWORD timeoutMs) const;
    // A message box (class #32770) of this program, or null.
    HWND FindMessageBox() const { return FindTopLevel(L"#32770"); }
    // Waits for the process to end; false on time-out.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
    // The thread's focus window, as GetGUIThreadInfo reports it.
    HWND FocusWindow() const;

private:
    void Start(const std::wstring& path, wchar_t* environment, DWORD flags = 0);

    PROCESS_INFORMATION process_{};
    HWND mainWindow_ = nullptr;
};
