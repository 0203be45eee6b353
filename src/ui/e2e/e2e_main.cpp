// ui_e2e PROGRAM FAULTS_PROGRAM SCREENSHOT_DIR [gtest options]
#include <windows.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "app_process.h"

namespace {

// Without a window manager Wine draws no caption or frame unless asked to
// draw them itself; with one, the manager's frame would let the window be
// dragged around the program's back. Either way, ask Wine to draw the
// Windows frame, for these two programs only.
void AskWineToDrawWindowFrames() {
    for (const wchar_t* program :
         {L"TarnwellPasswordGenerator.exe", L"TarnwellPasswordGenerator_faults.exe"}) {
        const std::wstring key =
            std::wstring(L"Software\\Wine\\AppDefaults\\") + program + L"\\X11 Driver";
        const wchar_t value[] = L"N";
        RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Decorated", REG_SZ, value,
                        sizeof(value));
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: ui_e2e PROGRAM FAULTS_PROGRAM SCREENSHOT_DIR\n");
        return 2;
    }
    auto narrow = [](const wchar_t* text) {
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<std::size_t>(bytes), '\0');
        WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], bytes, nullptr, nullptr);
        utf8.resize(static_cast<std::size_t>(bytes > 0 ? bytes - 1 : 0));
        return utf8;
    };
    g_programPaths.program = ToWindowsPath(narrow(argv[1]));
    g_programPaths.faultsProgram = ToWindowsPath(narrow(argv[2]));
    g_screenshotDirectory = narrow(argv[3]);
    AskWineToDrawWindowFrames();
    return RUN_ALL_TESTS();
}
