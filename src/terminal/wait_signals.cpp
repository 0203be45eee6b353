#include "terminal/wait_signals.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include "terminal/posix_signals.h"

namespace {

int g_wakeWrite = -1;
volatile sig_atomic_t g_caught = 0;

int g_signals[NSIG] = {};
struct sigaction g_previous[NSIG] = {};

void OnSignal(int signal, siginfo_t* info, void*) {
    const int savedErrno = errno;
    if (RaisedByFault(signal, *info)) {
        // A fault of our own: running on would fault again, so end as the
        // default would, without the clipboard.
        ::signal(signal, SIG_DFL);
        errno = savedErrno;
        return;
    }
    // A write of our own to a closed pipe (standard error into `| head`):
    // the write fails with EPIPE and the countdown's lines end there, while
    // the wait goes on. The kernel names us as the sender; a SIGPIPE sent
    // by another process ends the wait as any other signal does.
    if (signal == SIGPIPE && info->si_code == SI_USER && info->si_pid == getpid()) {
        errno = savedErrno;
        return;
    }
    if (g_caught == 0) g_caught = signal;
    const unsigned char byte = 1;
    const ssize_t ignored = write(g_wakeWrite, &byte, 1);
    (void)ignored;
    errno = savedErrno;
}

void Handle(WaitSignals& signals, int signal) {
    struct sigaction action {};
    action.sa_sigaction = OnSignal;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    if (sigaction(signal, &action, &g_previous[signals.count]) == 0) {
        g_signals[signals.count++] = signal;
    }
}

void RestoreHandlers(WaitSignals& signals) {
    for (int i = 0; i < signals.count; ++i) sigaction(g_signals[i], &g_previous[i], nullptr);
    signals.count = 0;
}

}  // namespace

bool InstallWaitSignals(WaitSignals& signals) {
    if (pipe2(signals.fds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    g_wakeWrite = signals.fds[1];
    g_caught = 0;
    for (int s : kEndingSignals) Handle(signals, s);
    for (int s = SIGRTMIN; s <= SIGRTMAX; ++s) Handle(signals, s);
    Handle(signals, SIGTSTP);
    return true;
}

int CaughtSignal() { return g_caught; }

void RestoreDefaultAction(WaitSignals& signals, int signal) {
    RestoreHandlers(signals);
    RestoreDefaultAction(signal);
}

WaitSignals::~WaitSignals() {
    RestoreHandlers(*this);
    for (int fd : fds) {
        if (fd >= 0) close(fd);
    }
    g_wakeWrite = -1;
}
