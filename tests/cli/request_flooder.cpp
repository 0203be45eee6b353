// Floods the CLIPBOARD owner with selection requests, as a hostile client
// of the same display could: keeps OUTSTANDING requests unanswered at any
// time, sending one more for each answer, or with 0 sends without pause and
// never waits for an answer. With `direct` the requests are events of its
// own making, sent straight to the owner's window instead of through the
// server's ConvertSelection. Says "flooding" once the first burst is out;
// runs until it is killed.
//     request_flooder OUTSTANDING [direct]
#include <poll.h>

#include "x_test_client.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) return 2;
    const long outstanding = std::strtol(argv[1], nullptr, 10);
    const bool direct = argc == 3 && std::strcmp(argv[2], "direct") == 0;
    TestClient client;
    if (!ConnectTestClient(client)) return 2;
    const xcb_atom_t clipboard = InternAtom(client, "CLIPBOARD");
    const xcb_atom_t target = InternAtom(client, "UTF8_STRING");
    const xcb_atom_t property = InternAtom(client, "FLOOD");
    const xcb_window_t owner = ClipboardOwner(client);
    const auto request = [&] {
        if (!direct) {
            xcb_convert_selection(client.c, client.window, clipboard, target, property,
                                  XCB_CURRENT_TIME);
            return;
        }
        xcb_selection_request_event_t forged{};
        forged.response_type = XCB_SELECTION_REQUEST;
        forged.time = XCB_CURRENT_TIME;
        forged.owner = owner;
        forged.requestor = client.window;
        forged.selection = clipboard;
        forged.target = target;
        forged.property = property;
        char event[32] = {};
        std::memcpy(event, &forged, sizeof forged);
        xcb_send_event(client.c, 0, owner, XCB_EVENT_MASK_NO_EVENT, event);
    };
    const long burst = outstanding > 0 ? outstanding : 1000;
    for (long i = 0; i < burst; ++i) request();
    xcb_flush(client.c);
    SayReady("flooding");
    for (;;) {
        if (outstanding == 0) {
            for (long i = 0; i < burst; ++i) request();
            xcb_flush(client.c);
            // Answers are read and dropped, never waited for.
            while (xcb_generic_event_t* event = xcb_poll_for_event(client.c)) std::free(event);
        } else {
            xcb_generic_event_t* event = xcb_wait_for_event(client.c);
            if (event == nullptr) return 1;
            if ((event->response_type & 0x7F) == XCB_SELECTION_NOTIFY) {
                request();
                xcb_flush(client.c);
            }
            std::free(event);
        }
        if (xcb_connection_has_error(client.c)) return 1;
    }
}
