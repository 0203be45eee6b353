#include <errno.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "cli/console.h"

namespace {

// Linux's canonical-mode line buffer takes 4095 bytes and the newline, and
// drops whatever else is typed (MAX_CANON says 255, which is not this limit).
// A line that long may have been cut, so it is refused.
constexpr std::size_t kTerminalLineLimit = 4095;

// What a signal handler needs to put the terminal back, or to hide it again
// after a stop; only plain data, as the handler may run at any moment.
struct TerminalRestore {
    termios saved{};
    termios hidden{};
    const char* prompt = "";
    volatile sig_atomic_t active = 0;
};

TerminalRestore g_terminal;

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

void WriteAll(int fd, const char* text) {
    std::size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t count = write(fd, text, left);
        if (count <= 0) return;
        text += count;
        left -= static_cast<std::size_t>(count);
    }
}

// Ctrl+Z: the shell gets its terminal back with echo on while the program is
// stopped. On `fg` echo goes off again, anything typed before the stop is
// discarded (the terminal has already dropped it), and the prompt shows
// again, so the user knows to type the whole keyword anew.
void StopWithEchoRestored(int) {
    const int savedErrno = errno;
    const bool wasHidden = g_terminal.active;
    RestoreTerminal();
    struct sigaction ownAction {}, defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    sigaction(SIGTSTP, &defaultAction, &ownAction);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    raise(SIGTSTP);
    // Running again.
    sigprocmask(SIG_BLOCK, &stop, nullptr);
    sigaction(SIGTSTP, &ownAction, nullptr);
    if (wasHidden) {
        g_terminal.active = 1;
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_terminal.hidden);
        WriteAll(STDERR_FILENO, g_terminal.prompt);
    }
    errno = savedErrno;
}

const int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};
constexpr int kHandledCount = sizeof kHandledSignals / sizeof kHandledSignals[0];

}  // namespace

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
    if (tcgetattr(STDIN_FILENO, &g_terminal.saved) != 0) return LineStatus::ReadError;
    g_terminal.hidden = g_terminal.saved;
    g_terminal.hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    g_terminal.hidden.c_lflag |= ECHONL;  // the Enter key still moves to the next line
    g_terminal.prompt = prompt;

    struct sigaction handlers[kHandledCount], previous[kHandledCount];
    for (int i = 0; i < kHandledCount; ++i) {
        handlers[i] = {};
        handlers[i].sa_handler =
            kHandledSignals[i] == SIGTSTP ? StopWithEchoRestored : RestoreAndResignal;
        sigemptyset(&handlers[i].sa_mask);
        sigaction(kHandledSignals[i], &handlers[i], &previous[i]);
    }
    auto restoreHandlers = [&previous] {
        for (int i = 0; i < kHandledCount; ++i) {
            sigaction(kHandledSignals[i], &previous[i], nullptr);
        }
    };

    g_terminal.active = 1;
    // TCSANOW, not TCSAFLUSH: keys typed ahead must not be thrown away.
    if (tcsetattr(STDIN_FILENO, TCSANOW, &g_terminal.hidden) != 0) {
        g_terminal.active = 0;
        restoreHandlers();
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
    LineStatus status = ReadKeywordLine(reader, keyword);
    if (status == LineStatus::Ok && keyword.size() >= kTerminalLineLimit) {
        SecureWipeContents(keyword);
        keyword.clear();
        status = LineStatus::TerminalLimit;
    }

    RestoreTerminal();
    restoreHandlers();
    if (status == LineStatus::EndOfInput) std::fputs("\n", stderr);
    return status;
}
