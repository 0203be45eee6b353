// Floods the CLIPBOARD owner with selection requests, as a hostile client
// of the same display could: keeps OUTSTANDING requests unanswered at any
// time, sending one more for each answer, or with 0 sends without pause and
// never waits for an answer. Says "flooding" once the first burst is out;
// runs until it is killed.
//     request_flooder OUTSTANDING
#include <poll.h>

#include "x_test_client.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const long outstanding = std::strtol(argv[1], nullptr, 10);
    TestClient client;
    if (!ConnectTestClient(client)) return 2;
    const xcb_atom_t clipboard = InternAtom(client, "CLIPBOARD");
    const xcb_atom_t target = InternAtom(client, "UTF8_STRING");
    const xcb_atom_t property = InternAtom(client, "FLOOD");
    const auto request = [&] {
        xcb_convert_selection(client.c, client.window, clipboard, target, property,
                              XCB_CURRENT_TIME);
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
