// ui_e2e PROGRAM BCRYPT_STANDIN FAULT_COPY_DIR SCREENSHOT_DIR
//        CLI WINE_BCRYPT PLANTED_MARKER PLANTING_CONTROL [gtest options]
#include <windows.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "app_process.h"
#include "fault_injection.h"

namespace {

// The tests run on a display without a window manager. Without one, Wine
// draws no caption or frame unless asked to draw them itself; with one, the
// manager's frame would let the window be dragged around the program's back.
// And for a window that it leaves to a manager, Wine waits up to two seconds,
// at every close, for a manager that is not there to withdraw it: the
// program's thread stands still for two seconds after each message box and
// result window. So ask Wine to draw the Windows frame and to manage the
// windows itself, for the program and its fault copy only.
void SetWineWindowOptions() {
    for (const wchar_t* program :
         {L"TarnwellPasswordGenerator.exe", kFaultCopyName, kPlantedCopyName}) {
        const std::wstring key =
            std::wstring(L"Software\\Wine\\AppDefaults\\") + program + L"\\X11 Driver";
        const wchar_t no[] = L"N";
        for (const wchar_t* option : {L"Decorated", L"Managed"}) {
            RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), option, REG_SZ, no, sizeof(no));
        }
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 9) {
        std::fprintf(stderr,
                     "usage: ui_e2e PROGRAM BCRYPT_STANDIN FAULT_COPY_DIR SCREENSHOT_DIR\n"
                     "              CLI WINE_BCRYPT PLANTED_MARKER PLANTING_CONTROL\n");
        return 2;
    }
    g_programPaths.program = ToWindowsPath(WideToUtf8(argv[1]));
    g_programPaths.bcryptStandin = ToWindowsPath(WideToUtf8(argv[2]));
    g_programPaths.faultCopyFolder = ToWindowsPath(WideToUtf8(argv[3]));
    g_screenshotDirectory = WideToUtf8(argv[4]);
    g_programPaths.cli = ToWindowsPath(WideToUtf8(argv[5]));
    g_programPaths.wineBcrypt = ToWindowsPath(WideToUtf8(argv[6]));
    g_programPaths.plantedMarker = ToWindowsPath(WideToUtf8(argv[7]));
    g_programPaths.plantingControl = ToWindowsPath(WideToUtf8(argv[8]));
    SetWineWindowOptions();
    std::string error;
    if (!PrepareFaultCopy(&error)) {
        std::fprintf(stderr, "the fault copies of the programs are missing: %s\n", error.c_str());
        return 2;
    }
    return RUN_ALL_TESTS();
}
