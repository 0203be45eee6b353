// Where the programs under test and their helpers are.
#pragma once

#include <string>

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
