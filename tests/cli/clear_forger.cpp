// Sends the CLIPBOARD owner a SelectionClear of its own making, as a client
// that wants the owner to stop serving while the server still lists it as
// the owner. Says "forged" once it is sent.
//     clear_forger
#include "x_test_client.h"

int main() {
    TestClient client;
    if (!ConnectTestClient(client)) return 2;
    const xcb_window_t owner = ClipboardOwner(client);
    if (owner == XCB_NONE) return 1;
    xcb_selection_clear_event_t clear{};
    clear.response_type = XCB_SELECTION_CLEAR;
    clear.time = XCB_CURRENT_TIME;
    clear.owner = owner;
    clear.selection = InternAtom(client, "CLIPBOARD");
    char event[32] = {};
    std::memcpy(event, &clear, sizeof clear);
    xcb_send_event(client.c, 0, owner, XCB_EVENT_MASK_NO_EVENT, event);
    xcb_flush(client.c);
    // A round trip: the event has reached the server before we say so.
    std::free(xcb_get_input_focus_reply(client.c, xcb_get_input_focus(client.c), nullptr));
    SayReady("forged");
    xcb_disconnect(client.c);
    return 0;
}
