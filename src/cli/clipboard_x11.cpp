// --copy on Linux: the X clipboard, owned by this process, and the wait in
// the foreground. Signals are only recorded (wait_signals.h); all the work
// happens in the wait itself. The clear asks the server on a second
// connection of its own, which no flood of requests to the owner can hold
// up.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>

#include "cli/clipboard.h"
#include "cli/copy_countdown.h"
#include "clipboard/x11_selection.h"
#include "terminal/clock.h"
#include "terminal/terminal_output.h"
#include "terminal/wait_signals.h"

struct CopySession {
    X11Selection selection;  // owns the clipboard and serves the password
    X11Selection check;      // asks what the clipboard holds, and clears it
};

void CloseSession(CopySession& session) {
    CloseSelection(session.selection);
    CloseSelection(session.check);
}

void CopySessionDeleter::operator()(CopySession* session) const {
    CloseSession(*session);
    delete session;
}

namespace {

constexpr char kServerSilentText[] =
    "the display did not answer in time, so the password may still be on the clipboard.";
constexpr char kPutBackText[] =
    "another program put the password back on the clipboard each time it was taken off; it may "
    "still be there.";

// What the last line says, once the clipboard has been checked; null when
// the password may still be there, which is an error of its own.
const char* OutcomeText(ClearResult result) {
    switch (result) {
        case ClearResult::Removed: return kRemovedText;
        case ClearResult::LeftAlone: return kLeftAloneText;
        case ClearResult::OwnerSilent: return kNoAnswerText;
        case ClearResult::ServerSilent:
        case ClearResult::PutBack: return nullptr;
    }
    return nullptr;
}

const char* FailureText(ClearResult result) {
    return result == ClearResult::PutBack ? kPutBackText : kServerSilentText;
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

// The clear, and what follows from how it went.
GuardedCopyResult Finish(CopySession& session, CopyCountdown& countdown, ClearResult result) {
    const bool lost = SelectionConnectionFailed(session.check);
    CloseSession(session);
    if (lost) {
        EndCountdown(countdown, nullptr);
        return {1, "the connection to the display was lost at the clipboard check."};
    }
    const char* outcome = OutcomeText(result);
    EndCountdown(countdown, outcome);
    if (outcome == nullptr) return {1, FailureText(result)};
    return {0, ""};
}

// An interrupt or a stop: the password comes off first, whatever follows.
GuardedCopyResult Interrupted(CopySession& session, WaitSignals& signals,
                              CopyCountdown& countdown, int signal) {
    const ClearResult result = ClearIfStillPassword(session.selection, session.check);
    if (signal != SIGTSTP) {
        GuardedCopyResult finished = Finish(session, countdown, result);
        RestoreDefaultAction(signals, signal);
        finished.endBySignal = signal;
        return finished;
    }
    const bool removed = result == ClearResult::Removed;
    CloseSession(session);
    EndCountdown(countdown, removed ? nullptr : OutcomeText(result));
    RestoreDefaultAction(signals, SIGTSTP);
    raise(SIGTSTP);
    // Running again after `fg` or `bg`: nothing is left to guard.
    if (removed) EndCountdown(countdown, kStoppedText);
    if (OutcomeText(result) == nullptr) return {1, FailureText(result)};
    return {0, ""};
}

OpenFault OpenBoth(CopySession& session) {
    const OpenFault fault = OpenSelection(session.selection);
    return fault != OpenFault::None ? fault : OpenSelection(session.check);
}

}  // namespace

CopySessionHandle ConnectClipboard(std::string& error) {
    CopySessionHandle session(new CopySession);
    switch (OpenBoth(*session)) {
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
    WaitSignals signals;
    if (!InstallWaitSignals(signals)) {
        SecureWipeContents(password);
        return {1, "could not prepare the wait for the clipboard; nothing was copied."};
    }
    if (!TakeSelection(selection, std::move(password))) {
        CloseSession(session);
        return {1, "could not take the clipboard; nothing was copied."};
    }
    const TerminalOutput terminal;
    CopyCountdown countdown = CountdownOn(terminal);
    const long long deadline = MonotonicMs() + kGuardSeconds * 1000LL;
    ShowSecondsLeft(countdown, kGuardSeconds);
    // One event at a time, with the signals and the deadline looked at
    // between any two, so that no flood of requests can hold the clear off.
    for (;;) {
        xcb_generic_event_t* event = NextSelectionEvent(selection);
        const bool more = event != nullptr;  // others may be queued behind it
        if (event != nullptr) {
            const bool lost = HandleSelectionEvent(selection, event);
            std::free(event);
            // A clipboard manager that took over the same text is still
            // holding the password: keep guarding until the check.
            if (lost && ReadOwnerText(session.check, selection.served) == OwnerText::Other) {
                CloseSession(session);
                EndCountdown(countdown, kLeftAloneText);
                return {0, ""};
            }
        }
        if (const int signal = CaughtSignal()) {
            return Interrupted(session, signals, countdown, signal);
        }
        if (SelectionConnectionFailed(selection)) {
            CloseSession(session);
            EndCountdown(countdown, nullptr);
            return {1, "the connection to the display was lost before the clipboard check."};
        }
        const long long left = deadline - MonotonicMs();
        if (left <= 0) break;
        const int seconds = static_cast<int>((left + 999) / 1000);
        ShowSecondsLeft(countdown, seconds);
        if (more) continue;
        // Refusals wait in libxcb's buffer until the socket has room; the
        // countdown brings the next look within a second.
        SendIfRoom(selection);
        pollfd fds[] = {{xcb_get_file_descriptor(selection.connection), POLLIN, 0},
                        {signals.fds[0], POLLIN, 0}};
        poll(fds, 2, static_cast<int>(left - (seconds - 1) * 1000LL));
    }
    return Finish(session, countdown, ClearIfStillPassword(selection, session.check));
}
