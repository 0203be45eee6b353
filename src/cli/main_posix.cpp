#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/program.h"

namespace {

// The keywords are in memory from the first prompt on: no core file (Ctrl+\,
// a crash) and no debugger of the same user may read them.
void MakeNonDumpable() {
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
}

// Standard input, output and error are 0, 1 and 2 whatever the program
// opens next: one that was closed would otherwise be the next file or
// connection opened, and a line meant for standard error would be written
// into the X connection. A closed one is opened on /dev/null, read-only, so
// that it reads as empty and a write to it still fails as on a closed one
// (a password written to a closed standard output is an error, never a
// success). False if even /dev/null cannot be opened.
bool OpenClosedStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1) continue;
        const int opened = open("/dev/null", O_RDONLY);
        if (opened != fd) return false;  // the lowest free descriptor is this one
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything opens a file or a connection.
    if (!OpenClosedStandardDescriptors()) return 1;
    MakeNonDumpable();
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(ArgumentToUtf16(argv[i]));
    return RunProgram(arguments);
}
