#include <sys/prctl.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "cli/program.h"
#include "derivation/keyword_rules.h"

namespace {

// The keywords are in memory from the first prompt on: no core file (Ctrl+\,
// a crash) and no debugger of the same user may read them.
void MakeNonDumpable() {
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
}

// Arguments arrive as the terminal's bytes, taken to be UTF-8 as everywhere
// else in this program. Bytes that are not become U+FFFD, which no option
// accepts and the symbol filter drops.
std::u16string ArgumentToUtf16(const char* argument) {
    const std::string bytes(argument);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::u16string wide;
    std::size_t position = 0;
    while (position < bytes.size()) {
        char32_t cp;
        if (!NextCodePoint(data, bytes.size(), position, cp)) {
            cp = 0xFFFD;
            ++position;
        }
        if (cp >= 0x10000) {
            wide.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            wide.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            wide.push_back(static_cast<char16_t>(cp));
        }
    }
    return wide;
}

}  // namespace

int main(int argc, char** argv) {
    MakeNonDumpable();
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(ArgumentToUtf16(argv[i]));
    return RunProgram(arguments);
}
