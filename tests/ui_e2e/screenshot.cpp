// Screenshots through ImageMagick's import, which Wine starts as the Unix
// program it is. Win32 screen coordinates are X root coordinates under Wine.
#include <windows.h>

#include <cstdio>
#include <string>

#include "screenshot.h"

#include "program_paths.h"
#include "queue_sync.h"
#include "utf8_conversion.h"
#include "wait_until.h"
#include "window_reading.h"

std::string g_screenshotDirectory;

namespace {

LONGLONG FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

std::string SaveScreenshot(HWND window, const std::string& name) {
    if (g_screenshotDirectory.empty()) return {};
    CreateDirectoryW(ToWindowsPath(g_screenshotDirectory).c_str(), nullptr);
    const std::string path = g_screenshotDirectory + "/" + name + ".png";
    const std::wstring windowsPath = ToWindowsPath(path);
    DeleteFileW(windowsPath.c_str());

    // Painted by the program's thread, which hands its drawing to X when it
    // waits for its next message.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    SyncWithProgram(window);
    const RECT rect = WindowRect(window);
    const std::string geometry = std::to_string(rect.right - rect.left) + "x" +
                                 std::to_string(rect.bottom - rect.top) + "+" +
                                 std::to_string(rect.left) + "+" + std::to_string(rect.top);
    std::wstring commandLine =
        Utf8ToWide("/usr/bin/import -window root -crop " + geometry + " +repage " + path);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(L"Z:\\usr\\bin\\import", &commandLine[0], nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process)) {
        std::printf("screenshot %s not taken: import could not be started\n", name.c_str());
        return {};
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // Wine cannot wait on a Unix process: wait for the file to stop growing.
    LONGLONG lastSize = -1;
    const bool written = WaitUntil(
        [&] {
            const LONGLONG size = FileSize(windowsPath);
            const bool stable = size > 0 && size == lastSize;
            lastSize = size;
            return stable;
        },
        15000);
    if (!written) std::printf("screenshot %s not taken: no picture was written\n", name.c_str());
    return written ? path : std::string();
}
