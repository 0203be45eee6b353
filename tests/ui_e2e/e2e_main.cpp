// ui_e2e PROGRAM BCRYPT_STANDIN FAULT_COPY_DIR SCREENSHOT_DIR
//        CLI WINE_BCRYPT PLANTED_MARKER PLANTING_CONTROL
//        PROGRAM_WITHOUT_MANIFEST [gtest options]
#include <windows.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "app_process.h"
#include "fault_injection.h"

namespace {

// The tests run on a display without a window manager (the test script's
// Xvfb, or xvfb-run's in a bare CTest run); scripts/screenshots.sh takes its
// pictures apart from them, with one. Without a manager Wine draws no
// caption or frame unless asked to, and at every close waits up to two
// seconds for a manager to withdraw the window, standing the program's
// thread still after each message box and result window. So Wine draws the
// Windows frame and manages the windows itself, for the program and its
// copies only; should a manager be running after all, it then neither moves
// the windows nor places them.
void SetWineWindowOptions() {
    for (const wchar_t* program :
         {L"TarnwellPasswordGenerator.exe", kFaultCopyName, kPlantedCopyName,
          kUnmanifestedCopyName}) {
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
    if (argc < 10) {
        std::fprintf(stderr,
                     "usage: ui_e2e PROGRAM BCRYPT_STANDIN FAULT_COPY_DIR SCREENSHOT_DIR\n"
                     "              CLI WINE_BCRYPT PLANTED_MARKER PLANTING_CONTROL\n"
                     "              PROGRAM_WITHOUT_MANIFEST\n");
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
    g_programPaths.programWithoutManifest = ToWindowsPath(WideToUtf8(argv[9]));
    SetWineWindowOptions();
    std::string error;
    if (!PrepareFaultCopy(&error)) {
        std::fprintf(stderr, "the fault copies of the programs are missing: %s\n", error.c_str());
        return 2;
    }
    return RUN_ALL_TESTS();
}
