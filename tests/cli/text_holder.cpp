// Takes CLIPBOARD with the text on standard input, as a clipboard manager
// that keeps a copy does, and serves it under the TARGETS named (a comma
// list, such as STRING,TEXT: an owner that refuses UTF8_STRING). Each time
// it loses the clipboard it takes it back after DELAY_MS, TAKE_BACKS times
// (-1: always), as a manager that restores its copy does; then it ends.
// Says "owned" the first time it holds the clipboard.
//     text_holder TARGETS TAKE_BACKS DELAY_MS < text
#include <time.h>

#include <vector>

#include "x_test_client.h"

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const std::string text = ReadStandardInput();
    long takeBacks = std::strtol(argv[2], nullptr, 10);
    const long delayMs = std::strtol(argv[3], nullptr, 10);
    TestClient client;
    if (!ConnectTestClient(client)) return 2;
    std::vector<xcb_atom_t> served;
    for (char* name = std::strtok(argv[1], ","); name != nullptr; name = std::strtok(nullptr, ",")) {
        served.push_back(InternAtom(client, name));
    }
    const xcb_atom_t targets = InternAtom(client, "TARGETS");
    const xcb_atom_t textTarget = InternAtom(client, "TEXT");
    std::vector<xcb_atom_t> offered{targets};
    offered.insert(offered.end(), served.begin(), served.end());
    if (!TakeClipboard(client)) return 1;
    SayReady("owned");
    while (xcb_generic_event_t* event = xcb_wait_for_event(client.c)) {
        const int type = event->response_type & 0x7F;
        if (type == XCB_SELECTION_REQUEST) {
            const auto& request = *reinterpret_cast<xcb_selection_request_event_t*>(event);
            bool known = false;
            for (xcb_atom_t atom : served) known = known || atom == request.target;
            if (request.target == targets) {
                AnswerWith(client, request, XCB_ATOM_ATOM, 32, offered.data(),
                           static_cast<std::uint32_t>(offered.size()));
            } else if (known) {
                // A text target's type is the target itself, STRING for TEXT.
                const xcb_atom_t type = request.target == textTarget
                                            ? static_cast<xcb_atom_t>(XCB_ATOM_STRING)
                                            : request.target;
                AnswerWith(client, request, type, 8, text.data(),
                           static_cast<std::uint32_t>(text.size()));
            } else {
                AnswerWith(client, request, XCB_NONE, 8, nullptr, 0);
            }
        } else if (type == XCB_SELECTION_CLEAR) {
            if (takeBacks == 0) {
                std::free(event);
                break;
            }
            if (takeBacks > 0) --takeBacks;
            const timespec delay{delayMs / 1000, (delayMs % 1000) * 1000000};
            nanosleep(&delay, nullptr);
            if (!TakeClipboard(client)) {
                std::free(event);
                break;
            }
        }
        std::free(event);
    }
    xcb_disconnect(client.c);
    return 0;
}
