#include <errno.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "cli/console.h"

namespace {

// What a signal handler needs to put the terminal back; only plain data, as
// the handler may run at any moment.
struct TerminalRestore {
    termios saved{};
    volatile sig_atomic_t active = 0;
};

TerminalRestore g_terminal;
const int kRestoringSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void RestoreTerminal() {
    if (g_terminal.active) {
        tcsetattr(STDIN_FILENO, TCSANOW, &g_terminal.saved);
        g_terminal.active = 0;
    }
}

void RestoreAndResignal(int signal) {
    RestoreTerminal();
    ::signal(signal, SIG_DFL);
    raise(signal);
}

}  // namespace

bool StandardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

long ReadStandardInput(void*, std::uint8_t* buffer, std::size_t size) {
    for (;;) {
        const ssize_t count = read(STDIN_FILENO, buffer, size);
        if (count >= 0 || errno != EINTR) return static_cast<long>(count);
    }
}

bool WriteStandardOutput(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t count = write(STDOUT_FILENO, data, size);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        data += count;
        size -= static_cast<std::size_t>(count);
    }
    return true;
}

LineStatus ReadHiddenKeyword(const char* prompt, Bytes& keyword) {
    termios hidden{};
    if (tcgetattr(STDIN_FILENO, &g_terminal.saved) != 0) return LineStatus::ReadError;
    hidden = g_terminal.saved;
    hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    hidden.c_lflag |= ECHONL;  // the Enter key still moves to the next line

    struct sigaction restore {}, previous[4];
    restore.sa_handler = RestoreAndResignal;
    sigemptyset(&restore.sa_mask);
    for (int i = 0; i < 4; ++i) sigaction(kRestoringSignals[i], &restore, &previous[i]);

    g_terminal.active = 1;
    // TCSANOW, not TCSAFLUSH: keys typed ahead must not be thrown away.
    if (tcsetattr(STDIN_FILENO, TCSANOW, &hidden) != 0) {
        g_terminal.active = 0;
        for (int i = 0; i < 4; ++i) sigaction(kRestoringSignals[i], &previous[i], nullptr);
        return LineStatus::ReadError;
    }
    // Echo goes off before the prompt shows, so nothing typed after the
    // prompt can appear on the screen.
    std::fputs(prompt, stderr);
    std::fflush(stderr);

    // A terminal in line mode hands over one line per read, so a reader of
    // its own per prompt never holds bytes meant for the next prompt.
    LineReader reader;
    reader.source = ReadStandardInput;
    const LineStatus status = ReadKeywordLine(reader, keyword);

    RestoreTerminal();
    for (int i = 0; i < 4; ++i) sigaction(kRestoringSignals[i], &previous[i], nullptr);
    if (status == LineStatus::EndOfInput) std::fputs("\n", stderr);
    return status;
}
