// The signals of the --copy wait on Linux. Every signal that would end or
// stop the program is caught while the wait lives, so that the password
// comes off the clipboard first; the handler only records it and writes a
// byte to a pipe that wakes the wait's poll.
#pragma once

struct WaitSignals {
    int fds[2] = {-1, -1};  // the pipe: read end polled by the wait
    int count = 0;          // handlers installed
    WaitSignals() = default;
    WaitSignals(const WaitSignals&) = delete;
    WaitSignals& operator=(const WaitSignals&) = delete;
    ~WaitSignals();
};

// False if the pipe cannot be made.
bool InstallWaitSignals(WaitSignals& signals);

// The first signal caught, or 0; no system call, so it can be asked
// between any two events however many arrive.
int CaughtSignal();

// Every handler as it was before, the signal's default action back, and the
// signal unblocked, so that raising it again does what it would have done.
void RestoreDefaultAction(WaitSignals& signals, int signal);
