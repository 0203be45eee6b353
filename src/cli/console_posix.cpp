#include <errno.h>
#include <unistd.h>

#include <cstdio>

#include "cli/console.h"
#include "terminal/posix_io.h"

bool StandardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

void WriteErrorLine(const std::string& utf8) {
    std::fputs(utf8.c_str(), stderr);
    std::fputs("\n", stderr);
}

long ReadStandardInput(void*, std::uint8_t* buffer, std::size_t size) {
    for (;;) {
        const ssize_t count = read(STDIN_FILENO, buffer, size);
        if (count >= 0 || errno != EINTR) return static_cast<long>(count);
    }
}

bool WriteStandardOutput(const std::uint8_t* data, std::size_t size) {
    return WriteAll(STDOUT_FILENO, data, size);
}
