// A paste target in a process of its own, as a user's editor or terminal would be: a window
// that takes the keyboard focus and reports every key press with its modifiers. Control+V
// fetches the clipboard; with --terminal only Shift+Insert pastes, from the primary
// selection, as xterm and urxvt do. --fetch-delay MS fetches that late, like a busy editor.
//
// Lines on standard output: "ready", "key v|insert|other <modifier mask>", and
// "pasted clipboard|primary <text>" or "pasted ... refused".
#include <xcb/xcb.h>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kXkV = 0x76;
constexpr uint32_t kXkCapitalV = 0x56;
constexpr uint32_t kXkInsert = 0xff63;
constexpr uint16_t kReportedModifiers =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

xcb_atom_t intern(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// Whether the key gives `a` or `b` in any group and level: how toolkits match shortcuts.
bool keyGives(xcb_connection_t* c, xcb_keycode_t key, uint32_t a, uint32_t b) {
    xcb_get_keyboard_mapping_reply_t* map =
        xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, key, 1), nullptr);
    bool gives = false;
    if (map != nullptr) {
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
        for (int i = 0; i < map->keysyms_per_keycode; ++i) {
            gives = gives || syms[i] == a || syms[i] == b;
        }
    }
    std::free(map);
    return gives;
}

void say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
    bool terminal = false;
    int fetchDelayMs = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--terminal") == 0) {
            terminal = true;
        } else if (std::strcmp(argv[i], "--fetch-delay") == 0 && i + 1 < argc) {
            fetchDelayMs = std::atoi(argv[++i]);
        }
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c) != 0) {
        std::fputs("no X display\n", stderr);
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_KEY_PRESS |
                                                        XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                                                        XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 300, 80, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const std::string wmClass = terminal ? std::string("xterm\0XTerm\0", 12)
                                         : std::string("pastetarget\0PasteTarget\0", 24);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        wmClass.size(), wmClass.data());
    xcb_map_window(c, window);
    xcb_flush(c);

    const xcb_atom_t clipboard = intern(c, "CLIPBOARD");
    const xcb_atom_t utf8 = intern(c, "UTF8_STRING");
    const xcb_atom_t property = intern(c, "PASTE_TARGET_DATA");
    // GCC 12 warns of std::optional<time_point> here (maybe-uninitialized): a flag instead.
    bool fetchPending = false;
    Clock::time_point fetchAt{};
    xcb_atom_t fetchFrom = XCB_ATOM_NONE;
    xcb_timestamp_t fetchTime = XCB_CURRENT_TIME;

    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            switch (event->response_type & 0x7f) {
                case XCB_MAP_NOTIFY:
                    xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
                    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
                    say("ready");
                    break;
                case XCB_KEY_PRESS: {
                    const auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
                    const uint16_t modifiers = key->state & kReportedModifiers;
                    const bool v = keyGives(c, key->detail, kXkV, kXkCapitalV);
                    const bool insert = keyGives(c, key->detail, kXkInsert, kXkInsert);
                    say(std::string("key ") +
                        (v        ? "v"
                         : insert ? "insert"
                                  : "other") +
                        " " + std::to_string(modifiers));
                    const bool pastes = terminal ? insert && modifiers == XCB_MOD_MASK_SHIFT
                                                 : v && (modifiers & XCB_MOD_MASK_CONTROL);
                    if (pastes) {
                        fetchFrom = terminal ? xcb_atom_t{XCB_ATOM_PRIMARY} : clipboard;
                        fetchTime = key->time;
                        fetchAt = Clock::now() + std::chrono::milliseconds(fetchDelayMs);
                        fetchPending = true;
                    }
                    break;
                }
                case XCB_SELECTION_NOTIFY: {
                    const auto* notify = reinterpret_cast<xcb_selection_notify_event_t*>(event);
                    const std::string from =
                        notify->selection == XCB_ATOM_PRIMARY ? "primary" : "clipboard";
                    if (notify->property == XCB_ATOM_NONE) {
                        say("pasted " + from + " refused");
                        break;
                    }
                    xcb_get_property_reply_t* reply = xcb_get_property_reply(
                        c,
                        xcb_get_property(c, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                         1 << 20),
                        nullptr);
                    if (reply != nullptr) {
                        say("pasted " + from + " " +
                            std::string(static_cast<const char*>(xcb_get_property_value(reply)),
                                        xcb_get_property_value_length(reply)));
                    }
                    std::free(reply);
                    break;
                }
                default:
                    break;
            }
            std::free(event);
        }
        int timeout = -1;
        if (fetchPending) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(fetchAt - Clock::now());
            timeout = static_cast<int>(std::max<long long>(0, left.count()));
        }
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        poll(&fd, 1, timeout);
        if (fetchPending && Clock::now() >= fetchAt) {
            fetchPending = false;
            xcb_convert_selection(c, window, fetchFrom, utf8, property, fetchTime);
            xcb_flush(c);
        }
        if (xcb_connection_has_error(c) != 0) {
            return 1;
        }
    }
}
