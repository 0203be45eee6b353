// Where the programs load DLLs from. bcrypt.dll and comctl32.dll are not on
// Windows' list of known DLLs, so a plain load looks for them in the
// program's own folder first: a copy planted beside the .exe (in a Downloads
// folder, say) would run inside the program and see every keyword. Both are
// therefore loaded at run time from the system folder only, instead of being
// imported. A manifest file beside the program could still redirect them;
// the manifest embedded in both programs (application_manifest.rc) makes the
// loader ignore such a file.
#pragma once

// Call first thing at start: DLLs that system code loads later on the
// program's behalf come from the system folder too. Nothing to do where
// there are no DLLs.
void RestrictLibrarySearchToSystem();

#ifdef _WIN32
#include <windows.h>

// The system's own DLL of this name, never one from the program's folder or
// the current one. Null if it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The exported function, or null (also for a null module).
template <typename Function>
Function FindFunction(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    // Through void(*)(), the generic function pointer type, as GetProcAddress intends.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
#endif
