#include "clipboard/x11_selection.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "clipboard/clipboard_policy.h"
#include "clipboard/x11_connection.h"

namespace {

// In the order of SelectionAtom.
const char* const kAtomNames[] = {
    "CLIPBOARD", "TARGETS", "TIMESTAMP", "MULTIPLE", "ATOM_PAIR", "UTF8_STRING",
    "text/plain;charset=utf-8", "TEXT", "text/plain", kPasswordManagerHintFormat,
    kCopyQHiddenFormat, "INCR",
    // Properties of our own window: the zero-length append that yields a
    // server timestamp, the reply when we read the new owner's text, and
    // the zeros that overwrite libxcb's buffers after each served copy.
    "TARNWELL_TIME", "TARNWELL_CHECK", "TARNWELL_SCRUB"};
static_assert(sizeof kAtomNames / sizeof kAtomNames[0] == static_cast<int>(SelectionAtom::Count),
              "one name per atom");

// The targets that ask clipboard managers to keep no history of the entry,
// each with its content (clipboard_policy.h).
struct Mark {
    SelectionAtom atom;
    const char* content;
    std::size_t bytes;
};
const Mark kMarks[] = {
    {SelectionAtom::PasswordManagerHint, kPasswordManagerHint, kPasswordManagerHintBytes},
    {SelectionAtom::CopyQHidden, kCopyQHidden, kCopyQHiddenBytes}};

// X timestamps are milliseconds that wrap around after 49 days.
bool NotEarlier(xcb_timestamp_t time, xcb_timestamp_t reference) {
    return static_cast<std::int32_t>(time - reference) >= 0;
}

void ServeBytes(X11Selection& s, xcb_window_t requestor, xcb_atom_t property, xcb_atom_t type,
                const std::uint8_t* data, std::size_t size) {
    xcb_flush(s.connection);  // so that the copy starts at the front of the buffer
    xcb_change_property(s.connection, XCB_PROP_MODE_REPLACE, requestor, property, type, 8,
                        static_cast<std::uint32_t>(size), data);
    ScrubBuffers(s, size, Scrub::Output);
}

// One target into one property of the requestor's window.
bool Convert(X11Selection& s, xcb_window_t requestor, xcb_atom_t target, xcb_atom_t property) {
    const auto is = [&](SelectionAtom atom) { return target == Atom(s, atom); };
    if (is(SelectionAtom::Targets)) {
        const xcb_atom_t targets[] = {
            Atom(s, SelectionAtom::Targets),    Atom(s, SelectionAtom::Timestamp),
            Atom(s, SelectionAtom::Multiple),   Atom(s, SelectionAtom::Utf8String),
            Atom(s, SelectionAtom::TextPlainUtf8), XCB_ATOM_STRING,
            Atom(s, SelectionAtom::Text),       Atom(s, SelectionAtom::PasswordManagerHint),
            Atom(s, SelectionAtom::CopyQHidden)};
        xcb_change_property(s.connection, XCB_PROP_MODE_REPLACE, requestor, property, XCB_ATOM_ATOM,
                            32, sizeof targets / sizeof targets[0], targets);
        return true;
    }
    if (is(SelectionAtom::Timestamp)) {
        xcb_change_property(s.connection, XCB_PROP_MODE_REPLACE, requestor, property,
                            XCB_ATOM_INTEGER, 32, 1, &s.acquired);
        return true;
    }
    for (const Mark& mark : kMarks) {
        if (!is(mark.atom)) continue;
        xcb_change_property(s.connection, XCB_PROP_MODE_REPLACE, requestor, property, target, 8,
                            static_cast<std::uint32_t>(mark.bytes), mark.content);
        return true;
    }
    // The password is ASCII, so the same bytes are valid UTF-8, Latin-1
    // (STRING) and, for TEXT, STRING again.
    xcb_atom_t type = XCB_NONE;
    if (is(SelectionAtom::Utf8String) || is(SelectionAtom::TextPlainUtf8)) type = target;
    if (target == XCB_ATOM_STRING || is(SelectionAtom::Text)) type = XCB_ATOM_STRING;
    if (type == XCB_NONE) return false;  // SAVE_TARGETS among them: we never hand over
    ServeBytes(s, requestor, property, type, s.served.data(), s.served.size());
    return true;
}

// MULTIPLE: the property holds (target, property) pairs; each is converted,
// and a pair that fails gets None as its property, written back.
bool ConvertMultiple(X11Selection& s, xcb_window_t requestor, xcb_atom_t property) {
    auto* reply = static_cast<xcb_get_property_reply_t*>(
        WaitForReply(s,
                     xcb_get_property(s.connection, 0, requestor, property,
                                      Atom(s, SelectionAtom::AtomPair), 0, 1024)
                         .sequence,
                     kMultipleReplyTimeoutMs));
    if (reply == nullptr) return false;
    const bool wellFormed = reply->format == 32 &&
                            reply->type == Atom(s, SelectionAtom::AtomPair) &&
                            reply->bytes_after == 0 &&
                            xcb_get_property_value_length(reply) % 8 == 0;
    std::vector<xcb_atom_t> pairs;
    if (wellFormed) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        pairs.assign(atoms, atoms + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    if (!wellFormed) return false;
    bool anyFailed = false;
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
        const bool converted = pairs[i + 1] != XCB_NONE &&
                               pairs[i] != Atom(s, SelectionAtom::Multiple) &&
                               Convert(s, requestor, pairs[i], pairs[i + 1]);
        if (!converted) {
            pairs[i + 1] = XCB_NONE;
            anyFailed = true;
        }
    }
    if (anyFailed) {
        xcb_change_property(s.connection, XCB_PROP_MODE_REPLACE, requestor, property,
                            Atom(s, SelectionAtom::AtomPair), 32,
                            static_cast<std::uint32_t>(pairs.size()), pairs.data());
    }
    return true;
}

void AnswerRequest(X11Selection& s, const xcb_selection_request_event_t& request) {
    if (!CanWriteNow(s)) return;
    const bool ours = s.owned && request.owner == s.window &&
                      request.selection == Atom(s, SelectionAtom::Clipboard) &&
                      (request.time == XCB_CURRENT_TIME || NotEarlier(request.time, s.acquired));
    if (!ours || !WithinRate(s.answers, kAnswersPerSecond)) {
        RefuseRequest(s, request);
        return;
    }
    // A requestor of before the conventions names no property: use the target.
    const xcb_atom_t property = request.property != XCB_NONE ? request.property : request.target;
    const bool converted = request.target == Atom(s, SelectionAtom::Multiple)
                               ? request.property != XCB_NONE &&
                                     WithinRate(s.multipleAnswers, kMultipleAnswersPerSecond) &&
                                     ConvertMultiple(s, request.requestor, property)
                               : Convert(s, request.requestor, request.target, property);
    if (converted) {
        NotifyRequestor(s, request, property);
    } else {
        RefuseRequest(s, request);
    }
    xcb_flush(s.connection);
    StashQueuedEvents(s);
}

bool InternAtoms(X11Selection& s) {
    const int count = static_cast<int>(SelectionAtom::Count);
    xcb_intern_atom_cookie_t cookies[static_cast<int>(SelectionAtom::Count)];
    for (int i = 0; i < count; ++i) {
        cookies[i] = xcb_intern_atom(s.connection, 0,
                                     static_cast<std::uint16_t>(std::strlen(kAtomNames[i])),
                                     kAtomNames[i]);
    }
    bool all = true;
    for (int i = 0; i < count; ++i) {
        auto* reply = static_cast<xcb_intern_atom_reply_t*>(WaitForReply(s, cookies[i].sequence));
        all = all && reply != nullptr;
        if (reply != nullptr) s.atoms[i] = reply->atom;
        std::free(reply);
    }
    return all;
}

}  // namespace

// libxcb copies each request into its output buffer and leaves it there;
// the requests that follow overwrite it from the start once it has been
// flushed. A request of the same shape holding zeros therefore overwrites
// a served copy, and the answer to it overwrites the input buffer in turn.
void ScrubBuffers(X11Selection& s, std::size_t size, Scrub which) {
    static const std::uint8_t kZeros[kMaxServedBytes] = {};
    const xcb_atom_t scrub = Atom(s, SelectionAtom::Scrub);
    xcb_flush(s.connection);
    xcb_change_property(s.connection, XCB_PROP_MODE_REPLACE, s.window, scrub, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(size), kZeros);
    xcb_flush(s.connection);
    if (which == Scrub::Output) return;
    std::free(WaitForReply(
        s, xcb_get_property(s.connection, 1, s.window, scrub, XCB_ATOM_STRING, 0,
                            kMaxServedBytes / 4)
               .sequence));
}

OpenFault OpenSelection(X11Selection& s) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return OpenFault::NoDisplay;
    int screenNumber = 0;
    s.connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(s.connection)) {
        CloseSelection(s);
        return OpenFault::CannotOpen;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(s.connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
    s.writableQueue = WritableQueue(xcb_get_file_descriptor(s.connection));
    if (screens.rem == 0 || !InternAtoms(s)) {
        CloseSelection(s);
        return OpenFault::CannotOpen;
    }
    // Never mapped: nothing shows, and no window manager ever sees it.
    s.window = xcb_generate_id(s.connection);
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(s.connection, XCB_COPY_FROM_PARENT, s.window, screens.data->root, 0, 0, 1, 1,
                      0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &events);
    xcb_flush(s.connection);
    return OpenFault::None;
}

void CloseSelection(X11Selection& s) {
    for (xcb_generic_event_t* event : s.stash) std::free(event);
    s.stash.clear();
    if (s.connection != nullptr) xcb_disconnect(s.connection);
    s.connection = nullptr;
    s.owned = false;
    SecureWipeContents(s.served);
    s.served.clear();
}

bool TakeSelection(X11Selection& s, Bytes password) {
    SecureWipeContents(s.served);
    s.served = std::move(password);
    if (s.served.size() > kMaxServedBytes || !ServerTime(s, s.acquired)) return false;
    xcb_set_selection_owner(s.connection, s.window, Atom(s, SelectionAtom::Clipboard), s.acquired);
    xcb_window_t owner = XCB_NONE;
    s.owned = ReadSelectionOwner(s, owner) && owner == s.window;
    return s.owned;
}

xcb_generic_event_t* NextSelectionEvent(X11Selection& s) {
    if (!s.stash.empty()) {
        xcb_generic_event_t* event = s.stash.front();
        s.stash.pop_front();
        return event;
    }
    return xcb_poll_for_event(s.connection);
}

void SendIfRoom(X11Selection& s) {
    if (CanWriteNow(s)) xcb_flush(s.connection);
}

bool HandleSelectionEvent(X11Selection& s, const xcb_generic_event_t* event) {
    switch (EventType(event)) {
        case XCB_SELECTION_REQUEST:
            AnswerRequest(s, *reinterpret_cast<const xcb_selection_request_event_t*>(event));
            return false;
        case XCB_SELECTION_CLEAR: {
            if (SentByClient(event)) return false;
            const auto* clear = reinterpret_cast<const xcb_selection_clear_event_t*>(event);
            if (clear->owner != s.window || clear->selection != Atom(s, SelectionAtom::Clipboard)) {
                return false;
            }
            s.owned = false;
            return true;
        }
        default:
            return false;
    }
}

bool SelectionConnectionFailed(const X11Selection& s) {
    return s.connection == nullptr || xcb_connection_has_error(s.connection) != 0;
}
