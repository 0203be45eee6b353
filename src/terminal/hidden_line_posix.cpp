#include "terminal/hidden_line.h"

#include <errno.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "terminal/posix_signals.h"
#include "terminal/terminal_output.h"

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
    const TerminalOutput* output = nullptr;  // where the prompt shows
    sigset_t handledSignals{};
    volatile sig_atomic_t atPrompt = 0;  // echo is wanted off
    volatile sig_atomic_t hiding = 0;    // echo is off, set by us
};

TerminalRestore g_terminal;

bool IsStopping(int signal) {
    for (int s : kStoppingSignals) {
        if (s == signal) return true;
    }
    return false;
}

// Every signal handled at a prompt, and what was there before.
struct HandledSignals {
    int signals[NSIG] = {};
    struct sigaction previous[NSIG] = {};
    int count = 0;
    sigset_t all;
};

void AddHandled(HandledSignals& handled, int signal) {
    handled.signals[handled.count++] = signal;
    sigaddset(&handled.all, signal);
}

HandledSignals ListHandledSignals() {
    HandledSignals handled;
    sigemptyset(&handled.all);
    for (int s : kEndingSignals) AddHandled(handled, s);
    for (int s = SIGRTMIN; s <= SIGRTMAX; ++s) AddHandled(handled, s);
    for (int s : kStoppingSignals) AddHandled(handled, s);
    return handled;
}

// Only the process group in the terminal's foreground may set it up: from
// the background, tcsetattr would stop the program or change the terminal
// under the shell's feet. A terminal that is not the controlling one has no
// foreground (tcgetpgrp fails) and no job control to respect.
bool InForeground() {
    const pid_t foreground = tcgetpgrp(STDIN_FILENO);
    return foreground == -1 || foreground == getpgrp();
}

void RestoreTerminal() {
    if (g_terminal.hiding) {
        tcsetattr(STDIN_FILENO, TCSANOW, &g_terminal.saved);
        g_terminal.hiding = 0;
    }
}

void ShowPrompt() { g_terminal.output->Write(g_terminal.prompt, std::strlen(g_terminal.prompt)); }

// Echo off, from the foreground only; `action` TCSAFLUSH throws away what
// was typed before.
void HideTerminal(int action) {
    if (!InForeground()) return;
    for (;;) {
        if (tcsetattr(STDIN_FILENO, action, &g_terminal.hidden) == 0) {
            g_terminal.hiding = 1;
            return;
        }
        if (errno != EINTR) return;
    }
}

// The program ends by the very signal it got.
void RestoreAndEndBySignal(int signal) {
    RestoreTerminal();
    EndBySignal(signal);
}

// Ctrl+Z, or a read or a terminal change from the background: the shell gets
// its terminal back with echo on while the program is stopped. On `fg` echo
// goes off again, anything typed before the stop is discarded (the terminal
// has already dropped it), and the prompt shows again, so the user knows to
// type the whole keyword anew. Resumed in the background (`bg`), the program
// leaves the terminal alone; its next read stops it again.
void StopWithTerminalRestored(int signal) {
    const int savedErrno = errno;
    RestoreTerminal();
    struct sigaction ownAction {}, defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    sigaction(signal, &defaultAction, &ownAction);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, signal);
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    raise(signal);
    // Running again.
    sigprocmask(SIG_BLOCK, &stop, nullptr);
    sigaction(signal, &ownAction, nullptr);
    if (g_terminal.atPrompt) {
        HideTerminal(TCSAFLUSH);
        if (g_terminal.hiding) ShowPrompt();
    }
    errno = savedErrno;
}

void InstallHandlers(HandledSignals& handled) {
    for (int i = 0; i < handled.count; ++i) {
        const int signal = handled.signals[i];
        sigaction(signal, nullptr, &handled.previous[i]);
        // Ignored when the program started (INT and QUIT for a job started
        // with & by a shell without job control, HUP under nohup): it stays so.
        if (handled.previous[i].sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = IsStopping(signal) ? StopWithTerminalRestored : RestoreAndEndBySignal;
        // One handler at a time: none may hide the terminal while another
        // restores it.
        action.sa_mask = handled.all;
        sigaction(signal, &action, nullptr);
    }
}

void RestoreHandlers(const HandledSignals& handled) {
    for (int i = 0; i < handled.count; ++i) {
        sigaction(handled.signals[i], &handled.previous[i], nullptr);
    }
}

// One read at a prompt. Before every read, and so again after a stop
// or a time in the background, the terminal is hidden if it is not yet and
// the program is in the foreground; echo goes off before the prompt shows,
// so nothing typed after the prompt can appear on the screen. The handlers
// wait meanwhile, so that none finds the terminal half set up. TCSAFLUSH,
// as getpass does: keys typed before the prompt were shown on the screen
// while echo was still on, so they are thrown away, never taken as a
// keyword. In the background the read itself stops the program (SIGTTIN)
// until `fg`.
long ReadAtPrompt(std::uint8_t* buffer, std::size_t size) {
    for (;;) {
        sigset_t before;
        sigprocmask(SIG_BLOCK, &g_terminal.handledSignals, &before);
        const bool wasHiding = g_terminal.hiding;
        const bool foreground = InForeground();
        if (!wasHiding && foreground) HideTerminal(TCSAFLUSH);
        const bool hiding = g_terminal.hiding;
        sigprocmask(SIG_SETMASK, &before, nullptr);
        if (foreground && !hiding) return -1;  // the terminal cannot be set up
        if (hiding && !wasHiding) ShowPrompt();
        const ssize_t count = read(STDIN_FILENO, buffer, size);
        if (count >= 0 || errno != EINTR) return static_cast<long>(count);
    }
}

// One line typed at the prompt, without its newline (and without a '\r'
// just before it), or what was typed before Ctrl+D on a line that holds
// anything. A terminal in line mode hands over one line per read. A line of
// kTerminalLineLimit bytes or more may have been cut by the terminal, so it
// is read to its end and refused. `line` is reserved once, so that no copy
// of the keyword is left behind by a reallocation.
LineStatus ReadTypedLine(Bytes& line) {
    line.reserve(kTerminalLineLimit + 1);
    std::uint8_t chunk[kTerminalLineLimit + 1];
    bool readAnything = false;
    bool overLimit = false;
    LineStatus status = LineStatus::Ok;
    for (;;) {
        const long count = ReadAtPrompt(chunk, sizeof chunk);
        if (count < 0) {
            status = LineStatus::ReadError;
            break;
        }
        if (count == 0) {
            if (!readAnything) status = LineStatus::EndOfInput;
            break;
        }
        readAnything = true;
        const std::uint8_t* begin = chunk;
        const std::uint8_t* end = begin + count;
        const std::uint8_t* newline = std::find(begin, end, '\n');
        const std::size_t bytes = static_cast<std::size_t>(newline - begin);
        if (line.size() + bytes > kTerminalLineLimit) {
            overLimit = true;
        } else {
            line.insert(line.end(), begin, newline);
        }
        if (newline != end) {
            if (!overLimit && !line.empty() && line.back() == '\r') {
                line.back() = 0;
                line.pop_back();
            }
            break;
        }
    }
    SecureWipe(chunk, sizeof chunk);
    if (status == LineStatus::Ok && (overLimit || line.size() >= kTerminalLineLimit)) {
        status = LineStatus::TerminalLimit;
    }
    if (status != LineStatus::Ok) {
        SecureWipeContents(line);
        line.clear();
    }
    return status;
}

}  // namespace

LineStatus ReadHiddenLine(const char* prompt, Bytes& line) {
    if (tcgetattr(STDIN_FILENO, &g_terminal.saved) != 0) return LineStatus::ReadError;
    g_terminal.hidden = g_terminal.saved;
    g_terminal.hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    g_terminal.hidden.c_lflag |= ECHONL;  // the Enter key still moves to the next line
    // The prompts go to the controlling terminal (terminal_output.h).
    const TerminalOutput output;
    g_terminal.prompt = prompt;
    g_terminal.output = &output;

    static HandledSignals handled = ListHandledSignals();
    g_terminal.handledSignals = handled.all;
    InstallHandlers(handled);
    g_terminal.atPrompt = 1;

    SecureWipeContents(line);
    line.clear();
    const LineStatus status = ReadTypedLine(line);

    sigset_t before;
    sigprocmask(SIG_BLOCK, &handled.all, &before);
    g_terminal.atPrompt = 0;
    RestoreTerminal();
    sigprocmask(SIG_SETMASK, &before, nullptr);
    RestoreHandlers(handled);
    if (status == LineStatus::EndOfInput) output.Write("\n", 1);
    g_terminal.output = nullptr;
    return status;
}
