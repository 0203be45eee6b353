// A process's top-level window of one class, found the same way by the
// end-to-end harness and by the driver of the clipboard managers test.
#pragma once

#include <windows.h>

#include <cwchar>

namespace top_level_detail {

struct Search {
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

inline BOOL CALLBACK Match(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[256] = {};
    if (owner != search->processId || GetClassNameW(window, name, 256) == 0 ||
        std::wcscmp(name, search->className) != 0) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

}  // namespace top_level_detail

// The first such window in Z order, or null.
inline HWND FindTopLevelWindow(DWORD processId, const wchar_t* className) {
    top_level_detail::Search search{processId, className, nullptr};
    EnumWindows(top_level_detail::Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
