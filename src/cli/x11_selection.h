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
    PasswordManagerHint,
    CopyQHidden,
    Incr,
    TimeProbe,  // our own window's properties, see the .cpp
    Check,
    Scrub,
    Count
};

struct X11Selection {
    xcb_connection_t* connection = nullptr;
    xcb_window_t window = XCB_NONE;
    xcb_atom_t atoms[static_cast<int>(SelectionAtom::Count)] = {};
    // Events that arrived while waiting for a particular one; handled next.
    std::deque<xcb_generic_event_t*> stash;
    // The password as served; the one copy of it while the program waits.
    Bytes served;
    xcb_timestamp_t acquired = XCB_CURRENT_TIME;
    bool owned = false;
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

// Answers a SelectionRequest; true for a SelectionClear that ends our
// ownership. Every other event is of no interest.
bool HandleSelectionEvent(X11Selection& selection, const xcb_generic_event_t* event);

// What the clipboard's present owner holds: the password (a clipboard
// manager that took it over), something else, or no answer in time.
enum class OwnerText { Password, Other, Unknown };
OwnerText ReadOwnerText(X11Selection& selection);

// Takes the password off the clipboard if it is still there: gives up our
// ownership, or takes the selection back from a clipboard manager that holds
// the same text and then gives it up. Anything else is left alone. Returns
// what the clipboard held: Password when it has been taken off.
OwnerText ClearIfStillPassword(X11Selection& selection);

bool SelectionConnectionFailed(const X11Selection& selection);
