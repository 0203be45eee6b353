// --copy on Linux: the X clipboard, owned by this process, and the wait in
// the foreground. Signals only write to a pipe that the wait polls beside
// the X connection; all the work happens in the wait itself.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "cli/clipboard.h"
#include "cli/copy_countdown.h"
#include "cli/x11_selection.h"

struct CopySession {
    X11Selection selection;
};

void CopySessionDeleter::operator()(CopySession* session) const {
    CloseSelection(session->selection);
    delete session;
}

namespace {

// What the last line says, once the clipboard has been checked.
const char* OutcomeText(OwnerText held) {
    switch (held) {
        case OwnerText::Password: return kRemovedText;
        case OwnerText::Other: return kLeftAloneText;
        case OwnerText::Unknown: return kNoAnswerText;
    }
    return kNoAnswerText;
}

// The display's name as the user set it, fit for a one-line message.
std::string Printable(const char* text) {
    std::string shown;
    for (const char* c = text; *c != '\0' && shown.size() < 60; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        shown.push_back(byte < 0x20 || byte == 0x7F ? '?' : *c);
    }
    return shown;
}

void WriteAll(int fd, const std::string& text) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t count = write(fd, data, left);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return;
        data += count;
        left -= static_cast<std::size_t>(count);
    }
}

void WriteToFd(void* fd, const std::string& text) { WriteAll(*static_cast<int*>(fd), text); }

// The countdown goes where the prompts go, the controlling terminal, and
// is updated there in place; without one it is plain lines on standard
// error, so that a log stays readable.
struct CountdownOutput {
    int fd = STDERR_FILENO;
    CopyCountdown countdown;
    CountdownOutput() {
        const int terminal = open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (terminal >= 0) fd = terminal;
        countdown.write = WriteToFd;
        countdown.context = &fd;
        countdown.inPlace = terminal >= 0;
    }
    ~CountdownOutput() {
        if (fd != STDERR_FILENO) close(fd);
    }
    CountdownOutput(const CountdownOutput&) = delete;
    CountdownOutput& operator=(const CountdownOutput&) = delete;
};

// Counts on while a laptop sleeps, so that waking after a long sleep
// clears at once.
long long NowMs() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

int g_wakeWrite = -1;

void OnSignal(int signal) {
    const int savedErrno = errno;
    const auto number = static_cast<unsigned char>(signal);
    const ssize_t ignored = write(g_wakeWrite, &number, 1);
    (void)ignored;
    errno = savedErrno;
}

const int kWaitSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};
constexpr int kWaitSignalCount = sizeof kWaitSignals / sizeof kWaitSignals[0];

// The signals of the wait, turned into bytes on a pipe for as long as it lives.
struct SignalWake {
    int fds[2] = {-1, -1};
    struct sigaction previous[kWaitSignalCount] = {};
    bool installed = false;

    bool Install() {
        if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
        g_wakeWrite = fds[1];
        for (int i = 0; i < kWaitSignalCount; ++i) {
            struct sigaction action {};
            action.sa_handler = OnSignal;
            sigemptyset(&action.sa_mask);
            sigaction(kWaitSignals[i], &action, &previous[i]);
        }
        installed = true;
        return true;
    }
    void Restore() {
        if (installed) {
            for (int i = 0; i < kWaitSignalCount; ++i) {
                sigaction(kWaitSignals[i], &previous[i], nullptr);
            }
        }
        installed = false;
    }
    int Received() {
        unsigned char number = 0;
        return read(fds[0], &number, 1) == 1 ? number : 0;
    }
    ~SignalWake() {
        Restore();
        for (int fd : fds) {
            if (fd >= 0) close(fd);
        }
        g_wakeWrite = -1;
    }
};

void EndBySignal(SignalWake& wake, int signal) {
    wake.Restore();
    ::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
}

// An interrupt or a stop: the password comes off first, whatever follows.
GuardedCopyResult Interrupted(X11Selection& selection, SignalWake& wake,
                              CopyCountdown& countdown, int signal) {
    const OwnerText held = ClearIfStillPassword(selection);
    const bool removed = held == OwnerText::Password;
    CloseSelection(selection);
    if (signal != SIGTSTP) {
        EndCountdown(countdown, OutcomeText(held));
        EndBySignal(wake, signal);
        return {1, ""};  // not reached: the signal ends the process
    }
    EndCountdown(countdown, removed ? nullptr : OutcomeText(held));
    EndBySignal(wake, SIGTSTP);
    // Running again after `fg` or `bg`: nothing is left to guard.
    if (removed) EndCountdown(countdown, kStoppedText);
    return {0, ""};
}

}  // namespace

CopySessionHandle ConnectClipboard(std::string& error) {
    CopySessionHandle session(new CopySession);
    switch (OpenSelection(session->selection)) {
        case OpenFault::None:
            return session;
        case OpenFault::NoDisplay:
            error = std::string("--copy needs a graphical session, and no DISPLAY is set") +
                    kWithoutCopyText;
            break;
        case OpenFault::CannotOpen:
            error = "--copy needs a graphical session, and the display \"" +
                    Printable(std::getenv("DISPLAY")) + "\" cannot be opened" + kWithoutCopyText;
            break;
    }
    return nullptr;
}

GuardedCopyResult CopyAndGuard(CopySession& session, Bytes password) {
    X11Selection& selection = session.selection;
    SignalWake wake;
    if (!wake.Install()) {
        SecureWipeContents(password);
        return {1, "could not prepare the wait for the clipboard; nothing was copied."};
    }
    if (!TakeSelection(selection, std::move(password))) {
        CloseSelection(selection);
        return {1, "could not take the clipboard; nothing was copied."};
    }
    CountdownOutput output;
    CopyCountdown& countdown = output.countdown;
    const long long deadline = NowMs() + kGuardSeconds * 1000LL;
    ShowSecondsLeft(countdown, kGuardSeconds);
    for (;;) {
        while (xcb_generic_event_t* event = NextSelectionEvent(selection)) {
            const bool lost = HandleSelectionEvent(selection, event);
            std::free(event);
            // A clipboard manager that took over the same text is still
            // holding the password: keep guarding until the check.
            if (lost && ReadOwnerText(selection) == OwnerText::Other) {
                CloseSelection(selection);
                EndCountdown(countdown, kLeftAloneText);
                return {0, ""};
            }
        }
        if (SelectionConnectionFailed(selection)) {
            CloseSelection(selection);
            EndCountdown(countdown, nullptr);
            return {1, "the connection to the display was lost before the clipboard check."};
        }
        const long long left = deadline - NowMs();
        if (left <= 0) break;
        const int seconds = static_cast<int>((left + 999) / 1000);
        ShowSecondsLeft(countdown, seconds);
        pollfd fds[] = {{xcb_get_file_descriptor(selection.connection), POLLIN, 0},
                        {wake.fds[0], POLLIN, 0}};
        poll(fds, 2, static_cast<int>(left - (seconds - 1) * 1000LL));
        if (const int signal = wake.Received()) {
            return Interrupted(selection, wake, countdown, signal);
        }
    }
    const OwnerText held = ClearIfStillPassword(selection);
    const bool failed = SelectionConnectionFailed(selection);
    CloseSelection(selection);
    if (failed) {
        EndCountdown(countdown, nullptr);
        return {1, "the connection to the display was lost at the clipboard check."};
    }
    EndCountdown(countdown, OutcomeText(held));
    return {0, ""};
}
