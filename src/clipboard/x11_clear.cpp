// The check at the end of --copy on Linux: what the clipboard's owner
// serves, and taking the password off if it is still there. All of it is
// asked on the check connection, whose replies no flood of requests to the
// owner's connection stands in front of.
#include <cstdlib>
#include <cstring>

#include "clipboard/clipboard_policy.h"
#include "clipboard/x11_connection.h"
#include "clipboard/x11_selection.h"

namespace {

enum class Served { Password, Other, Refused, Silent, ServerSilent };

// The owner's text for one target, compared with the password.
Served ConvertOwnerText(X11Selection& s, const Bytes& password, xcb_atom_t target,
                        xcb_timestamp_t time) {
    const xcb_atom_t check = Atom(s, SelectionAtom::Check);
    xcb_delete_property(s.connection, s.window, check);
    xcb_convert_selection(s.connection, s.window, Atom(s, SelectionAtom::Clipboard), target, check,
                          time);
    xcb_generic_event_t* event = WaitForEvent(s, [&](const xcb_generic_event_t* e) {
        if (EventType(e) != XCB_SELECTION_NOTIFY) return false;
        const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(e);
        return notify->requestor == s.window &&
               notify->selection == Atom(s, SelectionAtom::Clipboard) && notify->target == target;
    });
    if (event == nullptr) return SelectionConnectionFailed(s) ? Served::ServerSilent : Served::Silent;
    const bool answered =
        reinterpret_cast<const xcb_selection_notify_event_t*>(event)->property != XCB_NONE;
    std::free(event);
    if (!answered) return Served::Refused;  // no such target, or no owner at all
    auto* reply = static_cast<xcb_get_property_reply_t*>(
        WaitForReply(s, xcb_get_property(s.connection, 1, s.window, check,
                                         XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxServedBytes / 4)
                            .sequence));
    if (reply == nullptr) return Served::ServerSilent;
    const int length = xcb_get_property_value_length(reply);
    const bool same = reply->type != Atom(s, SelectionAtom::Incr) && reply->format == 8 &&
                      reply->bytes_after == 0 &&
                      static_cast<std::size_t>(length) == password.size() &&
                      std::memcmp(xcb_get_property_value(reply), password.data(), length) == 0;
    // The reply may hold the password, and so may libxcb's input buffer.
    SecureWipe(xcb_get_property_value(reply), static_cast<std::size_t>(length));
    std::free(reply);
    if (same) ScrubBuffers(s, password.size(), Scrub::OutputAndInput);
    return same ? Served::Password : Served::Other;
}

// The clipboard must be empty, not some program's, once we have let go;
// an owner that took it in between keeps it, as the server's timestamps
// decide. Any client may give up a selection in its owner's name.
ClearResult GiveUp(X11Selection& check, xcb_timestamp_t time, xcb_window_t ours) {
    xcb_set_selection_owner(check.connection, XCB_NONE, Atom(check, SelectionAtom::Clipboard),
                            time);
    xcb_window_t owner = XCB_NONE;
    if (!ReadSelectionOwner(check, owner) || owner == ours) return ClearResult::ServerSilent;
    return ClearResult::Removed;
}

// One attempt: our own ownership given up, or a holder of the same text
// replaced by the check window and then given up.
ClearResult TakeOff(X11Selection& owner, X11Selection& check) {
    if (owner.owned) {
        // From here on no request is answered with the password.
        owner.owned = false;
        return GiveUp(check, owner.acquired, owner.window);
    }
    switch (ReadOwnerText(check, owner.served)) {
        case OwnerText::Password: break;
        case OwnerText::Other: return ClearResult::LeftAlone;
        case OwnerText::Unknown: return ClearResult::OwnerSilent;
        case OwnerText::ServerSilent: return ClearResult::ServerSilent;
    }
    // Taking the selection back ends the other holder's copy; the check
    // window answers no request meanwhile.
    xcb_timestamp_t now = XCB_CURRENT_TIME;
    if (!ServerTime(check, now)) return ClearResult::ServerSilent;
    xcb_set_selection_owner(check.connection, check.window, Atom(check, SelectionAtom::Clipboard),
                            now);
    xcb_window_t holder = XCB_NONE;
    if (!ReadSelectionOwner(check, holder)) return ClearResult::ServerSilent;
    // Someone's copy came in between, with a later time: the look after the
    // settle tells what it holds.
    if (holder != check.window) return ClearResult::Removed;
    return GiveUp(check, now, check.window);
}

// Lets a clipboard manager act on the empty clipboard. Whatever the check
// connection receives meanwhile is of no use; the stash keeps it bounded.
void Settle(X11Selection& check) {
    const long long until = MonotonicMs() + kPutBackSettleMs;
    do {
        while (xcb_generic_event_t* event = xcb_poll_for_event(check.connection)) {
            StashEvent(check, event);
        }
    } while (PollConnection(check, until));
}

}  // namespace

OwnerText ReadOwnerText(X11Selection& check, const Bytes& password) {
    // An empty clipboard, as after every clear, needs no more questions.
    xcb_window_t owner = XCB_NONE;
    if (!ReadSelectionOwner(check, owner)) return OwnerText::ServerSilent;
    if (owner == XCB_NONE) return OwnerText::Other;
    xcb_timestamp_t now = XCB_CURRENT_TIME;
    if (!ServerTime(check, now)) return OwnerText::ServerSilent;
    // Any of them may be the one a paste asks for.
    const xcb_atom_t targets[] = {Atom(check, SelectionAtom::Utf8String),
                                  Atom(check, SelectionAtom::TextPlainUtf8), XCB_ATOM_STRING,
                                  Atom(check, SelectionAtom::Text),
                                  Atom(check, SelectionAtom::TextPlain)};
    for (const xcb_atom_t target : targets) {
        switch (ConvertOwnerText(check, password, target, now)) {
            case Served::Password: return OwnerText::Password;
            case Served::Silent: return OwnerText::Unknown;
            case Served::ServerSilent: return OwnerText::ServerSilent;
            case Served::Other:
            case Served::Refused: break;
        }
    }
    return OwnerText::Other;
}

ClearResult ClearIfStillPassword(X11Selection& owner, X11Selection& check) {
    ClearResult result = TakeOff(owner, check);
    for (unsigned round = 1; result == ClearResult::Removed; ++round) {
        Settle(check);
        switch (ReadOwnerText(check, owner.served)) {
            case OwnerText::Password: break;
            case OwnerText::Other: return ClearResult::Removed;
            case OwnerText::Unknown: return ClearResult::OwnerSilent;
            case OwnerText::ServerSilent: return ClearResult::ServerSilent;
        }
        if (round == kPutBackRounds) return ClearResult::PutBack;
        result = TakeOff(owner, check);
    }
    return result;
}
