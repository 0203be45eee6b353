// What the small X clients of the --copy tests share: a connection to
// DISPLAY, an unmapped window of their own, atoms by name, taking CLIPBOARD,
// and answering a request with text. Each client is a few lines over these.
#pragma once

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

struct TestClient {
    xcb_connection_t* c = nullptr;
    xcb_window_t window = XCB_NONE;
    xcb_window_t root = XCB_NONE;
};

inline bool ConnectTestClient(TestClient& client) {
    int screenNumber = 0;
    client.c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(client.c)) return false;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(client.c));
    for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&screens);
    client.root = screens.data->root;
    client.window = xcb_generate_id(client.c);
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(client.c, XCB_COPY_FROM_PARENT, client.window, client.root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &events);
    return true;
}

inline xcb_atom_t InternAtom(const TestClient& client, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        client.c,
        xcb_intern_atom(client.c, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : XCB_NONE;
    std::free(reply);
    return atom;
}

inline xcb_window_t ClipboardOwner(const TestClient& client) {
    xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(
        client.c, xcb_get_selection_owner(client.c, InternAtom(client, "CLIPBOARD")), nullptr);
    const xcb_window_t owner = reply != nullptr ? reply->owner : XCB_NONE;
    std::free(reply);
    return owner;
}

// CLIPBOARD for our window; true once the server lists us as its owner.
inline bool TakeClipboard(const TestClient& client) {
    xcb_set_selection_owner(client.c, client.window, InternAtom(client, "CLIPBOARD"),
                            XCB_CURRENT_TIME);
    return ClipboardOwner(client) == client.window;
}

// Answers `request` with `size` bytes of `type` in its property, or refuses
// it when `type` is None.
inline void AnswerWith(const TestClient& client, const xcb_selection_request_event_t& request,
                       xcb_atom_t type, int format, const void* data, std::uint32_t size) {
    const xcb_atom_t property = request.property != XCB_NONE ? request.property : request.target;
    if (type != XCB_NONE) {
        xcb_change_property(client.c, XCB_PROP_MODE_REPLACE, request.requestor, property, type,
                            static_cast<std::uint8_t>(format), size, data);
    }
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = type != XCB_NONE ? property : XCB_NONE;
    char event[32] = {};
    std::memcpy(event, &notify, sizeof notify);
    xcb_send_event(client.c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, event);
    xcb_flush(client.c);
}

// The whole of standard input (the text a client serves).
inline std::string ReadStandardInput() {
    std::string text;
    char buffer[256];
    for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;) {
        text.append(buffer, count);
    }
    return text;
}

inline void SayReady(const char* word) {
    std::printf("%s\n", word);
    std::fflush(stdout);
}
