// The X clipboard (the CLIPBOARD selection) owned by this process through
// libxcb, so that the password never passes through a helper program. The
// owner is an unmapped window that answers the text targets, the hints for
// clipboard managers and the targets the X conventions require of every
// owner, and nothing else.
#pragma once

#include <xcb/xcb.h>

#include <deque>
#include <string>

#include "base/secure_bytes.h"

enum class SelectionAtom {
    Clipboard,
    Targets,
    Timestamp,
    Multiple,
    AtomPair,
    Utf8String,
    TextPlainUtf8,
    Text,
    TextPlain,
    PasswordManagerHint,
    CopyQHidden,
    Incr,
    TimeProbe,  // our own window's properties, see the .cpp
    Check,
    Scrub,
    Count
};

// How many of something happened in the present second.
struct RateLimit {
    long long second = 0;
    int used = 0;
};

struct X11Selection {
    xcb_connection_t* connection = nullptr;
    xcb_window_t window = XCB_NONE;
    xcb_atom_t atoms[static_cast<int>(SelectionAtom::Count)] = {};
    // Events that arrived while waiting for a particular one; handled next.
    // Bounded (see x11_connection.h).
    std::deque<xcb_generic_event_t*> stash;
    // The password as served; the one copy of it while the program waits.
    Bytes served;
    xcb_timestamp_t acquired = XCB_CURRENT_TIME;
    bool owned = false;
    // Requests answered, and refused, in the present second (see
    // x11_connection.h).
    RateLimit answers;
    RateLimit multipleAnswers;
    RateLimit refusals;
    // The most that our requests the server has not read yet may take of
    // the socket's send buffer while Linux still reports it writable.
    int writableQueue = 0;
};

enum class OpenFault { None, NoDisplay, CannotOpen };

// Connects to the display named by DISPLAY and makes the owner window.
OpenFault OpenSelection(X11Selection& selection);

// Ends the connection (the server then drops any ownership) and wipes the
// served copy.
void CloseSelection(X11Selection& selection);

// Takes CLIPBOARD with a server timestamp for `password`, which becomes the
// served copy. False if the server did not make us the owner.
bool TakeSelection(X11Selection& selection, Bytes password);

// The next event, from the stash first; null when none has arrived.
xcb_generic_event_t* NextSelectionEvent(X11Selection& selection);

// Sends the refusals that libxcb holds if the socket has room for them now
// (see CanWriteNow in x11_connection.h); otherwise they wait for a later
// call.
void SendIfRoom(X11Selection& selection);

// Answers a SelectionRequest, or refuses it beyond a number a second; true
// for the server's SelectionClear that ends our ownership (one that another
// client sent is a forgery, and ignored). Every other event is of no
// interest.
bool HandleSelectionEvent(X11Selection& selection, const xcb_generic_event_t* event);

// What the clipboard's present owner holds, asked on `check` (a connection
// of our own that owns nothing) for every text target: the password (a
// clipboard manager that took it over) if any of them serves it, something
// else, no answer in time from the owner, or none from the server.
enum class OwnerText { Password, Other, Unknown, ServerSilent };
OwnerText ReadOwnerText(X11Selection& check, const Bytes& password);

// How the clearing went.
enum class ClearResult {
    Removed,       // the clipboard no longer serves the password
    LeftAlone,     // someone else's text is on it
    OwnerSilent,   // its owner did not answer; what it holds is unknown
    ServerSilent,  // the server did not answer: the password may still be there
    PutBack,       // it came back each time it was taken off
};

// Takes the password off the clipboard if it is still there, asking and
// acting on `check`: gives up the ownership of `owner` (which then answers
// no more requests), or takes the selection back from a clipboard manager
// that holds the same text and then gives it up. Anything else is left
// alone. After a short settle it looks again, since a clipboard manager may
// put its own copy back on an empty clipboard, and takes that off too, a
// few times.
ClearResult ClearIfStillPassword(X11Selection& owner, X11Selection& check);

bool SelectionConnectionFailed(const X11Selection& selection);
