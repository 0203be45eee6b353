#include "program_paths.h"

#include <algorithm>

#include "utf8_conversion.h"

ProgramPaths g_programPaths;

std::wstring ToWindowsPath(const std::string& path) {
    std::wstring wide = Utf8ToWide(path);
    if (wide.empty() || wide[0] != L'/') return wide;
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    return L"Z:" + wide;
}
