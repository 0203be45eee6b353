// Asks the CLIPBOARD owner for several targets in one MULTIPLE request, as
// the X conventions let a requestor do (xclip cannot), and prints what came
// back for each, one line per target:
//     TARGET <tab> TYPE <tab> VALUE      (text for format 8, numbers for 32)
//     TARGET <tab> refused               (the owner put None in its pair)
// Exits 1 if the owner refused the request as a whole or did not answer.
//     multiple_request TARGET...
#include <poll.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

xcb_atom_t Intern(xcb_connection_t* c, const std::string& name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : XCB_NONE;
    std::free(reply);
    return atom;
}

std::string AtomName(xcb_connection_t* c, xcb_atom_t atom) {
    xcb_get_atom_name_reply_t* reply =
        xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atom), nullptr);
    std::string name = reply != nullptr ? std::string(xcb_get_atom_name_name(reply),
                                                      xcb_get_atom_name_name_length(reply))
                                        : "?";
    std::free(reply);
    return name;
}

xcb_get_property_reply_t* Property(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property) {
    return xcb_get_property_reply(
        c, xcb_get_property(c, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096), nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "cannot open the display\n");
        return 2;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&screens);
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screens.data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);

    std::vector<std::string> targets(argv + 1, argv + argc);
    std::vector<xcb_atom_t> pairs;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        pairs.push_back(Intern(c, targets[i]));
        pairs.push_back(Intern(c, "PROBE_" + std::to_string(i)));
    }
    const xcb_atom_t request = Intern(c, "PROBE_MULTIPLE");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, request, Intern(c, "ATOM_PAIR"), 32,
                        static_cast<std::uint32_t>(pairs.size()), pairs.data());
    xcb_convert_selection(c, window, Intern(c, "CLIPBOARD"), Intern(c, "MULTIPLE"), request,
                          XCB_CURRENT_TIME);
    xcb_flush(c);

    xcb_atom_t answered = XCB_NONE;
    for (bool waiting = true; waiting;) {
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        xcb_generic_event_t* event = xcb_poll_for_event(c);
        if (event == nullptr) {
            if (poll(&fd, 1, 5000) <= 0) break;
            continue;
        }
        if ((event->response_type & 0x7F) == XCB_SELECTION_NOTIFY) {
            answered = reinterpret_cast<xcb_selection_notify_event_t*>(event)->property;
            waiting = false;
        }
        std::free(event);
    }
    if (answered == XCB_NONE) {
        std::fprintf(stderr, "MULTIPLE refused or not answered\n");
        return 1;
    }
    xcb_get_property_reply_t* written = Property(c, window, request);
    const auto* result = static_cast<const xcb_atom_t*>(xcb_get_property_value(written));
    const std::size_t count = xcb_get_property_value_length(written) / 4;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (2 * i + 1 >= count || result[2 * i + 1] == XCB_NONE) {
            std::printf("%s\trefused\n", targets[i].c_str());
            continue;
        }
        xcb_get_property_reply_t* value = Property(c, window, result[2 * i + 1]);
        std::printf("%s\t%s\t", targets[i].c_str(), AtomName(c, value->type).c_str());
        const auto* data = static_cast<const char*>(xcb_get_property_value(value));
        const int length = xcb_get_property_value_length(value);
        if (value->format == 32) {
            for (int k = 0; k < length / 4; ++k) {
                std::uint32_t number;
                std::memcpy(&number, data + 4 * k, 4);
                std::printf(k ? " %u" : "%u", number);
            }
        } else {
            std::fwrite(data, 1, static_cast<std::size_t>(length), stdout);
        }
        std::printf("\n");
        std::free(value);
    }
    std::free(written);
    xcb_disconnect(c);
    return 0;
}
