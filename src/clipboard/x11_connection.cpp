#include "clipboard/x11_connection.h"

#include <linux/sockios.h>  // SIOCOUTQ
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <xcb/xcbext.h>  // xcb_poll_for_reply

#include <cstdlib>
#include <cstring>

namespace {

// Room for the events that may arrive during one wait of ours in normal
// use: a clipboard manager's handful of requests, our own notifications.
constexpr std::size_t kStashLimit = 64;

// What an answer's requests (at most four writes of a few hundred bytes)
// and a full output buffer of libxcb's (16 KB of refusals) take of the
// socket's send buffer, with the kernel's accounting of each write.
constexpr int kAnswerQueueBytes = 32 * 1024;

}  // namespace

bool WithinRate(RateLimit& limit, int perSecond) {
    const long long second = MonotonicMs() / 1000;
    if (second != limit.second) {
        limit.second = second;
        limit.used = 0;
    }
    if (limit.used >= perSecond) return false;
    ++limit.used;
    return true;
}

bool CanWriteNow(const X11Selection& s) {
    int queued = 0;
    if (ioctl(xcb_get_file_descriptor(s.connection), SIOCOUTQ, &queued) != 0) return false;
    return queued + kAnswerQueueBytes <= s.writableQueue;
}

int WritableQueue(int socket) {
    int sendBuffer = 0;
    socklen_t size = sizeof sendBuffer;
    if (getsockopt(socket, SOL_SOCKET, SO_SNDBUF, &sendBuffer, &size) != 0) return 0;
    return sendBuffer / 4;
}

void NotifyRequestor(X11Selection& s, const xcb_selection_request_event_t& request,
                     xcb_atom_t property) {
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = property;
    // SendEvent carries 32 bytes; the record is the event's first 24.
    char event[32] = {};
    static_assert(sizeof notify <= sizeof event, "an X event is 32 bytes");
    std::memcpy(event, &notify, sizeof notify);
    xcb_send_event(s.connection, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, event);
}

void RefuseRequest(X11Selection& s, const xcb_selection_request_event_t& request) {
    if (WithinRate(s.refusals, kRefusalsPerSecond) && CanWriteNow(s)) {
        NotifyRequestor(s, request, XCB_NONE);
    }
}

void StashEvent(X11Selection& s, xcb_generic_event_t* event) {
    const int type = EventType(event);
    const bool forged =
        SentByClient(event) && (type == XCB_SELECTION_CLEAR || type == XCB_PROPERTY_NOTIFY);
    // The server's SelectionClear comes at most once per ownership of ours,
    // and must never be lost.
    const bool keep = !forged && (s.stash.size() < kStashLimit || type == XCB_SELECTION_CLEAR);
    if (keep) {
        s.stash.push_back(event);
        return;
    }
    if (type == XCB_SELECTION_REQUEST && !SentByClient(event)) {
        RefuseRequest(s, *reinterpret_cast<const xcb_selection_request_event_t*>(event));
    }
    std::free(event);
}

void StashQueuedEvents(X11Selection& s) {
    while (xcb_generic_event_t* event = xcb_poll_for_queued_event(s.connection)) {
        StashEvent(s, event);
    }
}

bool PollConnection(X11Selection& s, long long deadline) {
    xcb_flush(s.connection);
    if (xcb_connection_has_error(s.connection)) return false;
    const long long left = deadline - MonotonicMs();
    if (left <= 0) return false;
    pollfd fd{xcb_get_file_descriptor(s.connection), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(left));
    return true;
}

void* WaitForReply(X11Selection& s, unsigned int sequence, int timeoutMs) {
    const long long deadline = MonotonicMs() + timeoutMs;
    xcb_flush(s.connection);
    for (;;) {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        // One read from the connection at most, then its events to the stash.
        const bool done = xcb_poll_for_reply(s.connection, sequence, &reply, &error) != 0;
        StashQueuedEvents(s);
        if (done) {
            std::free(error);
            return reply;
        }
        if (!PollConnection(s, deadline)) {
            if (!xcb_connection_has_error(s.connection)) xcb_discard_reply(s.connection, sequence);
            return nullptr;
        }
    }
}

// A zero-length append changes nothing, but the server reports it with a
// PropertyNotify that carries the server's own time: the timestamp the X
// conventions ask for instead of CurrentTime.
bool ServerTime(X11Selection& s, xcb_timestamp_t& time) {
    const xcb_atom_t probe = Atom(s, SelectionAtom::TimeProbe);
    xcb_change_property(s.connection, XCB_PROP_MODE_APPEND, s.window, probe, XCB_ATOM_STRING, 8, 0,
                        nullptr);
    xcb_generic_event_t* event = WaitForEvent(s, [&](const xcb_generic_event_t* e) {
        if (EventType(e) != XCB_PROPERTY_NOTIFY || SentByClient(e)) return false;
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(e);
        return notify->window == s.window && notify->atom == probe;
    });
    if (event == nullptr) return false;
    time = reinterpret_cast<const xcb_property_notify_event_t*>(event)->time;
    std::free(event);
    return true;
}

bool ReadSelectionOwner(X11Selection& s, xcb_window_t& owner) {
    auto* reply = static_cast<xcb_get_selection_owner_reply_t*>(WaitForReply(
        s, xcb_get_selection_owner(s.connection, Atom(s, SelectionAtom::Clipboard)).sequence));
    if (reply == nullptr) return false;
    owner = reply->owner;
    std::free(reply);
    return true;
}
