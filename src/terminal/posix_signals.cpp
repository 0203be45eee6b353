#include "terminal/posix_signals.h"

void RestoreDefaultAction(int signal) {
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    sigaction(signal, &defaultAction, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
}

void EndBySignal(int signal) {
    RestoreDefaultAction(signal);
    raise(signal);
}
