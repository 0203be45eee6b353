// The test's handle on the hook DLL (ui_probe_hook.dll, beside the test
// program): loaded for as long as the object lives, its hook procedures
// found by their exported names.
#pragma once

#include <windows.h>

class HookDll {
public:
    HookDll() : module_(LoadLibraryW(L"ui_probe_hook.dll")) {}
    ~HookDll() {
        if (module_) FreeLibrary(module_);
    }
    HookDll(const HookDll&) = delete;
    HookDll& operator=(const HookDll&) = delete;

    // Sets the exported procedure `name` as a hook of `type` on the thread
    // `threadId` (of any process); null if the DLL, the procedure or the hook
    // could not be had.
    HHOOK SetHook(int type, const char* name, DWORD threadId) const {
        if (!module_) return nullptr;
        // Through void(*)(), the generic function pointer type, as
        // GetProcAddress intends.
        auto procedure = reinterpret_cast<HOOKPROC>(
            reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
        return procedure ? SetWindowsHookExW(type, procedure, module_, threadId) : nullptr;
    }

private:
    HMODULE module_;
};
