#include "terminal/terminal_output.h"

#include <fcntl.h>
#include <unistd.h>

#include "terminal/posix_io.h"

TerminalOutput::TerminalOutput() : handle_(STDERR_FILENO) {
    const int terminal = open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (terminal >= 0) {
        handle_ = terminal;
        isTerminal_ = true;
    }
}

TerminalOutput::~TerminalOutput() {
    if (isTerminal_) close(static_cast<int>(handle_));
}

void TerminalOutput::Write(const char* text, std::size_t size) const {
    WriteAll(static_cast<int>(handle_), text, size);
}
