// The signals that end or stop this program by default, written once for
// the two places that must act before any of them takes effect: a prompt
// puts the terminal back, and the --copy wait takes the password off the
// clipboard. And how the program then ends by the very signal it got.
#pragma once

#include <signal.h>

// Signals whose default action ends the process, with or without a core
// file. SIGKILL cannot be caught; the real-time signals, SIGRTMIN to
// SIGRTMAX, are known only at run time and end it too.
inline constexpr int kEndingSignals[] = {SIGHUP,  SIGINT,    SIGQUIT,   SIGILL,  SIGTRAP, SIGABRT,
                                         SIGBUS,  SIGFPE,    SIGUSR1,   SIGSEGV, SIGUSR2, SIGPIPE,
                                         SIGALRM, SIGTERM,   SIGSTKFLT, SIGXCPU, SIGXFSZ, SIGVTALRM,
                                         SIGPROF, SIGIO,     SIGPWR,    SIGSYS};

// Signals whose default action stops it; SIGSTOP cannot be caught.
inline constexpr int kStoppingSignals[] = {SIGTSTP, SIGTTIN, SIGTTOU};

// Signals the kernel raises for a fault of the program itself (a bad
// address, an illegal instruction): a handler that returns runs the faulting
// instruction again. Sent with kill, they are ordinary requests to end.
inline bool RaisedByFault(int signal, const siginfo_t& info) {
    const bool faultSignal = signal == SIGSEGV || signal == SIGBUS || signal == SIGILL ||
                             signal == SIGFPE || signal == SIGTRAP || signal == SIGSYS;
    return faultSignal && info.si_code > 0;
}

// The signal's default action back and the signal unblocked, so that
// raising it again does what it would have done had it not been caught.
// Only async-signal-safe calls.
void RestoreDefaultAction(int signal);

// Ends the program by `signal`, so that the shell sees it (a core file is
// refused by MakeNonDumpable, not here); from a handler too.
void EndBySignal(int signal);
