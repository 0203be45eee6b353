// Making the program fail to create its result window, for as long as the
// object lives: a CBT hook on the program's thread refuses every window of
// that class.
#pragma once

#include <windows.h>

#include "hook_dll.h"

constexpr wchar_t kRefusedWindowClass[] = L"VORKAResultClass";

class ResultWindowRefusal {
public:
    explicit ResultWindowRefusal(HWND mainWindow);
    ~ResultWindowRefusal();
    ResultWindowRefusal(const ResultWindowRefusal&) = delete;
    ResultWindowRefusal& operator=(const ResultWindowRefusal&) = delete;
    bool Active() const { return hook_ != nullptr; }

private:
    HookDll dll_;
    HHOOK hook_ = nullptr;
};
