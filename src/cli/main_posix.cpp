#include <sys/prctl.h>
#include <sys/resource.h>

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

}  // namespace

int main(int argc, char** argv) {
    MakeNonDumpable();
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(ArgumentToUtf16(argv[i]));
    return RunProgram(arguments);
}
