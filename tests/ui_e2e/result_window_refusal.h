// Making the program fail to create its result window, for as long as the
// object lives: a CBT hook on the program's thread refuses every window of
// the result window's class (kResultClass).
#pragma once

#include <windows.h>

#include "hook_dll.h"
#include "window_classes.h"

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
