#include "platform/system_library.h"

#include <string>

std::wstring SystemFolderPath() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    return std::wstring(folder, length);
}

void RestrictLibrarySearchToSystem() {
    // Looked up rather than imported: a Windows 7 without the update that
    // added it must still start. kernel32 is a known DLL, so this lookup
    // cannot be planted.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDllDirectories = FindFunction<SetDefaultDllDirectoriesFn>(
        GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefaultDllDirectories != nullptr) {
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
    HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) return module;
    // A Windows 7 without that update rejects the flag. The full path loads
    // the same file, and the altered search looks for its own dependencies
    // in the system folder before the program's.
    const std::wstring folder = SystemFolderPath();
    if (folder.empty()) return nullptr;
    const std::wstring path = folder + L"\\" + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
