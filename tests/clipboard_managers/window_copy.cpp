// window_copy PROGRAM KEYWORD1 KEYWORD2
// Under Wine, for the clipboard managers test: starts the window program,
// enters the two keywords (UTF-8) with the default settings, generates,
// clicks COPY TO CLIPBOARD, and writes "copied" once the result window has
// closed. Then it reads one line from standard input and ends the program
// as the line says: "close" closes the main window as a user does, "kill"
// ends the process as SIGKILL would. It writes "ended" once the program is
// gone, and exits 0; 1 when something did not happen in time.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "support/top_level_window.h"
#include "ui/ui_ids.h"
#include "ui/ui_texts.h"

namespace {

constexpr DWORD kWaitMs = 120000;

std::wstring Wide(const char* utf8) {
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (units <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, &wide[0], units);
    wide.resize(static_cast<std::size_t>(units) - 1);
    return wide;
}

// A Unix path as Wine's Z: drive shows it.
std::wstring WindowsPath(const char* path) {
    std::wstring wide = Wide(path);
    if (wide.empty() || wide[0] != L'/') return wide;
    for (wchar_t& unit : wide) {
        if (unit == L'/') unit = L'\\';
    }
    return L"Z:" + wide;
}

// Without a window manager Wine waits at every close for one to withdraw
// the window; the desktops without mutter have none. Wine then manages the
// program's windows itself, which a manager that is running leaves alone.
void LetWineManageTheWindows() {
    const wchar_t key[] = L"Software\\Wine\\AppDefaults\\TarnwellPasswordGenerator.exe\\X11 Driver";
    const wchar_t no[] = L"N";
    for (const wchar_t* option : {L"Decorated", L"Managed"}) {
        RegSetKeyValueW(HKEY_CURRENT_USER, key, option, REG_SZ, no, sizeof(no));
    }
}

// Waits for the program's top-level window of `className` to be shown.
HWND WaitForWindow(DWORD processId, const wchar_t* className) {
    const ULONGLONG deadline = GetTickCount64() + kWaitMs;
    do {
        HWND window = FindTopLevelWindow(processId, className);
        if (window && IsWindowVisible(window)) return window;
        Sleep(50);
    } while (GetTickCount64() < deadline);
    return nullptr;
}

bool WaitForWindowGone(HWND window) {
    const ULONGLONG deadline = GetTickCount64() + kWaitMs;
    while (IsWindow(window)) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(50);
    }
    return true;
}

int Fail(const char* what) {
    std::fprintf(stderr, "window_copy: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return Fail("usage: window_copy PROGRAM KEYWORD1 KEYWORD2");
    LetWineManageTheWindows();
    std::wstring commandLine = L"\"" + WindowsPath(argv[1]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return Fail("could not start the program");
    }
    CloseHandle(process.hThread);
    HWND main = WaitForWindow(process.dwProcessId, kMainClassName);
    if (!main) return Fail("no main window");
    SetWindowTextW(GetDlgItem(main, IDC_KEYWORD1), Wide(argv[2]).c_str());
    SetWindowTextW(GetDlgItem(main, IDC_KEYWORD2), Wide(argv[3]).c_str());
    PostMessageW(GetDlgItem(main, IDC_GENERATE), BM_CLICK, 0, 0);
    HWND result = WaitForWindow(process.dwProcessId, kResultClassName);
    if (!result) return Fail("no result window");
    PostMessageW(GetDlgItem(result, IDC_COPY), BM_CLICK, 0, 0);
    if (!WaitForWindowGone(result)) return Fail("the result window stayed");
    std::printf("copied\n");
    std::fflush(stdout);

    char line[32] = {};
    if (!std::fgets(line, sizeof line, stdin)) return Fail("no ending given");
    if (std::strncmp(line, "close", 5) == 0) {
        PostMessageW(main, WM_CLOSE, 0, 0);
    } else if (std::strncmp(line, "kill", 4) == 0) {
        TerminateProcess(process.hProcess, 137);
    } else {
        return Fail("unknown ending");
    }
    if (WaitForSingleObject(process.hProcess, kWaitMs) != WAIT_OBJECT_0) {
        return Fail("the program did not end");
    }
    CloseHandle(process.hProcess);
    std::printf("ended\n");
    std::fflush(stdout);
    return 0;
}
