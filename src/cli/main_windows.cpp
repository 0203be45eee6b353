// wmain, not main: Windows would otherwise turn the arguments into the ANSI
// code page with best-fit mapping (a full-width exclamation mark becomes '!',
// a check mark '?'), so an option would mean something other than the same
// text typed into the window.
#include <string>
#include <vector>

#include "cli/program.h"
#include "platform/system_library.h"

int wmain(int argc, wchar_t** argv) {
    // Before anything can load a DLL: only the system folder, never the
    // program's own (a Downloads folder, say).
    RestrictLibrarySearchToSystem();
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t is 16-bit");
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    }
    // "/?" alone asks for the help, as it does of cmd's own programs. Taken
    // only alone: anywhere else it is an argument like any other.
    if (arguments.size() == 1 && arguments[0] == u"/?") arguments[0] = u"--help";
    return RunProgram(arguments);
}
