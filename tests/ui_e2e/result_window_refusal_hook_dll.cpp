// The hook DLL's side of ResultWindowRefusal: runs in the program's thread.
#include <windows.h>

#include <cwchar>

#include "result_window_refusal.h"

// Refuses the creation of every window of the result window's class
// (ResultWindowRefusal).
extern "C" __declspec(dllexport) LRESULT CALLBACK RefuseResultWindow(int code, WPARAM wParam,
                                                                      LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        wchar_t name[256] = {};
        GetClassNameW(reinterpret_cast<HWND>(wParam), name, 256);
        if (std::wcscmp(name, kResultClass) == 0) return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
