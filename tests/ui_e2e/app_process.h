// Starting the real program, finding its windows, and reading them from the
// outside, the way a user's tools would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The programs under test, the stand-in bcrypt.dll with Wine's own that it
// forwards to, the folder where copies of the programs run with it
// (fault_injection.h), and the DLL and programs of the planting test, as
// Windows paths; set by main() from the command line.
struct ProgramPaths {
    std::wstring program;
    std::wstring cli;
    std::wstring bcryptStandin;
    std::wstring wineBcrypt;
    std::wstring faultCopyFolder;
    std::wstring plantedMarker;
    std::wstring plantingControl;
    std::wstring programWithoutManifest;  // the window program, its manifest left out
};
extern ProgramPaths g_programPaths;

// Converts a Unix path as CTest passes it (/a/b) to the Z: drive that Wine
// maps to the Unix root; Windows paths are returned unchanged.
std::wstring ToWindowsPath(const std::string& path);

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
    // Waits for such a window and then until it is shown and complete.
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

std::wstring WindowText(HWND window);
std::wstring ClassNameOf(HWND window);
DWORD StyleOf(HWND window);
DWORD ExStyleOf(HWND window);
// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);
RECT WindowRect(HWND window);
SIZE ClientSize(HWND window);
// The direct children in creation (Z) order.
std::vector<HWND> ChildrenInOrder(HWND parent);

// Waits until `condition` holds, polling every 10 ms; false on time-out.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(10);
    }
}

// Returns once the program's thread has handled everything sent or posted
// before: a generation in progress blocks this until it is done.
void SyncWithProgram(HWND window);

// Text and clipboard helpers of the test's own. The clipboard is opened
// when another process lets it go, within a second.
bool OpenClipboardWhenFree();
std::wstring ReadClipboardText(bool* hasText);
bool PutTextOnClipboard(const std::wstring& text);
// The clipboard held open by a window of the test's own, as another
// application holds it while it reads or writes.
class ClipboardHolder {
public:
    ClipboardHolder();
    ~ClipboardHolder() { Release(); }
    ClipboardHolder(const ClipboardHolder&) = delete;
    ClipboardHolder& operator=(const ClipboardHolder&) = delete;
    bool IsOpen() const { return open_; }
    void Release();

private:
    HWND window_;
    bool open_;
};
std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);

extern std::string g_screenshotDirectory;  // a Unix path
// Saves the screen area of `window` (frame included) as a PNG in the build
// folder's screenshots folder; returns the Unix path written, or empty. The
// pictures are for people to look at: one that cannot be taken is reported
// on the output and fails no test.
std::string SaveScreenshot(HWND window, const std::string& name);
