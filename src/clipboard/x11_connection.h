// What the X clipboard code's files share about the connection. How it
// waits on the server and on other clients: every reply and every awaited
// event has a timeout, events that arrive meanwhile are kept in a stash of
// bounded size, and events that another client sent in the server's name
// are told apart from the server's own. And how copies of the password in
// libxcb's buffers are overwritten.
#pragma once

#include <xcb/xcb.h>

#include <cstddef>

#include "clipboard/x11_selection.h"
#include "terminal/clock.h"

// How long another client, or the server, may take to answer us.
constexpr int kAnswerTimeoutMs = 3000;

// Room for the longest password (128 bytes, far below any request limit, so
// that no answer ever needs INCR), in the served copy, a reply we read and
// the zeros that overwrite either.
constexpr std::size_t kMaxServedBytes = 256;

inline xcb_atom_t Atom(const X11Selection& s, SelectionAtom atom) {
    return s.atoms[static_cast<int>(atom)];
}

inline int EventType(const xcb_generic_event_t* event) { return event->response_type & 0x7F; }

// The server sets this bit on an event that a client sent with SendEvent.
// SelectionNotify always comes so (from the owner); a SelectionClear or a
// PropertyNotify that does is a forgery.
inline bool SentByClient(const xcb_generic_event_t* event) {
    return (event->response_type & 0x80) != 0;
}

// A flood of requests must cost neither memory nor time. libxcb reads
// whatever the server sends while it waits to write, so every request of
// ours that answers one of theirs lets more of the flood in: a paste asks
// for two or three targets and a clipboard manager for a few more, so
// beyond these numbers a second, requests are refused, and beyond the
// refusals they go unanswered (the requestor's own timeout ends its wait).
constexpr int kAnswersPerSecond = 100;
constexpr int kRefusalsPerSecond = 200;
// A MULTIPLE request is the one we answer with a round trip (to read the
// requestor's list): few are answered, and none may hold the wait for
// long, since a flood delays every reply.
constexpr int kMultipleAnswersPerSecond = 2;
constexpr int kMultipleReplyTimeoutMs = 200;

// True, and counted, while `limit` has room for one more this second.
bool WithinRate(RateLimit& limit, int perSecond);

// True while the socket can take a whole answer and stay writable. A flush
// that finds the socket not writable reads whatever the server sends until
// it is, all of it into libxcb's queue, and a server busy delivering a
// flood to us reads our requests only now and then: one answer was seen to
// take in megabytes of events over 400 ms. Linux reports a Unix socket
// writable while the requests that the server has not read yet take at
// most a quarter of its send buffer, so requests are answered or refused
// only while that quarter has room for an answer's requests and the
// refusals that libxcb holds besides; otherwise they go unanswered, and the
// requestor's own timeout ends its wait.
bool CanWriteNow(const X11Selection& s);

// X11Selection::writableQueue for the connection's socket; 0 if unknown,
// which answers nothing.
int WritableQueue(int socket);

// Tells the requestor that its request was converted into `property`, or
// with None that it was not; left in libxcb's buffer for the next flush.
void NotifyRequestor(X11Selection& s, const xcb_selection_request_event_t& request,
                     xcb_atom_t property);

// NotifyRequestor with None, within kRefusalsPerSecond, and while
// CanWriteNow.
void RefuseRequest(X11Selection& s, const xcb_selection_request_event_t& request);

// An event that arrived while waiting for another, to be handled next: kept
// while the stash has room; beyond that a request is refused at once and
// anything else of no use dropped, so that a flood cannot grow memory.
void StashEvent(X11Selection& s, xcb_generic_event_t* event);

// Every event that libxcb has already read, to the stash (StashEvent). A
// flush with anything to write first reads a block of up to 128 events if
// the server has sent something, and an answer takes up to four flushes:
// answering 100 requests of a flood in a row, at the start of a second,
// left tens of thousands of events in libxcb's queue.
void StashQueuedEvents(X11Selection& s);

// The first event that `match` accepts, within kAnswerTimeoutMs; null on
// timeout or a broken connection. Others go to the stash.
template <typename Match>
xcb_generic_event_t* WaitForEvent(X11Selection& s, Match match);

// The reply to the request with `sequence`, within `timeoutMs`; null on an
// error, a timeout or a broken connection. Events that come first go to the
// stash as they are read, never more than one read's worth into libxcb's
// own queue.
void* WaitForReply(X11Selection& s, unsigned int sequence, int timeoutMs = kAnswerTimeoutMs);

// The server's current time, read from the PropertyNotify of a zero-length
// append to our own window. False if the server did not answer.
bool ServerTime(X11Selection& s, xcb_timestamp_t& time);

// CLIPBOARD's owner now; false if the server did not answer.
bool ReadSelectionOwner(X11Selection& s, xcb_window_t& owner);

// Overwrites the last `size` bytes of a request that libxcb holds in its
// output buffer, and with OutputAndInput those of a reply in its input buffer (see
// x11_selection.cpp); only the latter waits for the server. Serving never
// reads the password in, so it scrubs the output alone, without a round
// trip that a flood would delay.
enum class Scrub { Output, OutputAndInput };
void ScrubBuffers(X11Selection& s, std::size_t size, Scrub which);

// Flushes, then waits until the connection has something to read or
// `deadline` passes; false once it has passed or the connection broke.
bool PollConnection(X11Selection& s, long long deadline);

template <typename Match>
xcb_generic_event_t* WaitForEvent(X11Selection& s, Match match) {
    const long long deadline = MonotonicMs() + kAnswerTimeoutMs;
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(s.connection)) {
            if (match(event)) return event;
            StashEvent(s, event);
        }
        if (!PollConnection(s, deadline)) return nullptr;
    }
}
