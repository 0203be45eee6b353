// Test builds only: the DLL that the planting test leaves beside copies of
// the programs as bcrypt.dll and comctl32.dll. It does nothing but leave a
// mark: loading it creates "<its own path>.loaded", so a test can tell from
// outside whether any process loaded it.
#include <windows.h>

#include <string>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    const std::wstring mark = std::wstring(path, length) + L".loaded";
    HANDLE file = CreateFileW(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return TRUE;
}
