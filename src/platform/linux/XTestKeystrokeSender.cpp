#include "platform/linux/XTestKeystrokeSender.h"

#include <QList>
#include <QString>

#include <xcb/xcb.h>
#include <xcb/xtest.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <optional>

namespace {

constexpr xcb_window_t kNoWindow = XCB_WINDOW_NONE;
constexpr xcb_window_t kPointerRoot = XCB_INPUT_FOCUS_POINTER_ROOT;

template <typename T>
struct FreeReply {
    void operator()(T* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply<T>>;

struct KeymapUnref {
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};
struct StateUnref {
    void operator()(xkb_state* state) const { xkb_state_unref(state); }
};

// The key that gives `keysym` without any modifier in the layout now in effect. Looked up
// anew each time: the user may switch layouts between two dictations.
std::optional<xcb_keycode_t> keycodeFor(xkb_keymap* keymap, xkb_state* state, xkb_keysym_t keysym) {
    for (xkb_keycode_t code = xkb_keymap_min_keycode(keymap);
         code <= xkb_keymap_max_keycode(keymap) && code <= 255; ++code) {
        const xkb_layout_index_t layout = xkb_state_key_get_layout(state, code);
        if (layout == XKB_LAYOUT_INVALID) {
            continue;
        }
        const xkb_keysym_t* syms = nullptr;
        const int count = xkb_keymap_key_get_syms_by_level(keymap, code, layout, 0, &syms);
        for (int i = 0; i < count; ++i) {
            if (syms[i] == keysym) {
                return static_cast<xcb_keycode_t>(code);
            }
        }
    }
    return std::nullopt;
}

xcb_window_t activeWindow(xcb_connection_t* connection, xcb_window_t root) {
    static constexpr char kName[] = "_NET_ACTIVE_WINDOW";
    const Reply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, sizeof(kName) - 1, kName), nullptr));
    if (atom && atom->atom != XCB_ATOM_NONE) {
        const Reply<xcb_get_property_reply_t> property(xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1),
            nullptr));
        if (property && xcb_get_property_value_length(property.get()) >= 4) {
            const xcb_window_t window =
                *static_cast<const xcb_window_t*>(xcb_get_property_value(property.get()));
            if (window != kNoWindow) {
                return window;
            }
        }
    }
    // No window manager telling us: the X input focus (None or PointerRoot when unset).
    const Reply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    return focus ? focus->focus : kNoWindow;
}

QByteArray windowClass(xcb_connection_t* connection, xcb_window_t window) {
    const Reply<xcb_get_property_reply_t> property(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256),
        nullptr));
    if (!property) {
        return {};
    }
    return QByteArray(static_cast<const char*>(xcb_get_property_value(property.get())),
                      xcb_get_property_value_length(property.get()));
}

xcb_window_t parentOf(xcb_connection_t* connection, xcb_window_t window) {
    const Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
    return tree ? tree->parent : kNoWindow;
}

}  // namespace

void XTestKeystrokeSender::Disconnect::operator()(xcb_connection_t* connection) const {
    xcb_disconnect(connection);
}

void XTestKeystrokeSender::UnrefContext::operator()(xkb_context* context) const {
    xkb_context_unref(context);
}

XTestKeystrokeSender::XTestKeystrokeSender(const QByteArray& displayName) {
    int screenNumber = 0;
    connection_.reset(
        xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), &screenNumber));
    if (xcb_connection_has_error(connection_.get()) != 0) {
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_.get()));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem > 0) {
        root_ = screens.data->root;
    }
    if (xkb_x11_setup_xkb_extension(
            connection_.get(), XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr) == 1) {
        keyboardDevice_ = xkb_x11_get_core_keyboard_device_id(connection_.get());
        xkb_.reset(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    }
}

XTestKeystrokeSender::~XTestKeystrokeSender() = default;

KeystrokeSender::Modifiers XTestKeystrokeSender::currentModifiers() {
    if (xcb_connection_has_error(connection_.get()) != 0 || root_ == 0) {
        return 0;
    }
    const Reply<xcb_query_pointer_reply_t> pointer(xcb_query_pointer_reply(
        connection_.get(), xcb_query_pointer(connection_.get(), root_), nullptr));
    if (!pointer) {
        return 0;
    }
    const uint16_t mask = pointer->mask;
    Modifiers modifiers = 0;
    if (mask & XCB_MOD_MASK_SHIFT)
        modifiers |= Shift;
    if (mask & XCB_MOD_MASK_LOCK)
        modifiers |= CapsLock;
    if (mask & XCB_MOD_MASK_CONTROL)
        modifiers |= Control;
    if (mask & XCB_MOD_MASK_1)
        modifiers |= Option;
    if (mask & XCB_MOD_MASK_4)
        modifiers |= Command;
    return modifiers;
}

bool XTestKeystrokeSender::isTerminalWindowClass(const QByteArray& wmClass) {
    static const QList<QByteArray> kTerminals{
        "xterm",   "gnome-terminal", "konsole", "kitty",      "alacritty", "foot",
        "wezterm", "xfce4-terminal", "tilix",   "terminator", "urxvt"};
    const QList<QByteArray> names = wmClass.split('\0');
    for (QByteArray name : names) {
        name = name.toLower();
        // Some use reverse-DNS classes ("org.wezfurlong.wezterm") or a server suffix.
        const qsizetype dot = name.lastIndexOf('.');
        const QByteArray lastPart = dot >= 0 ? name.mid(dot + 1) : name;
        if (kTerminals.contains(name) || kTerminals.contains(lastPart)) {
            return true;
        }
    }
    return false;
}

bool XTestKeystrokeSender::focusedWindowIsTerminal() const {
    xcb_window_t window = activeWindow(connection_.get(), root_);
    // The focus may sit on a child of the application's window, where WM_CLASS is not set.
    for (int depth = 0;
         depth < 16 && window != kNoWindow && window != root_ && window != kPointerRoot; ++depth) {
        const QByteArray wmClass = windowClass(connection_.get(), window);
        if (!wmClass.isEmpty()) {
            return isTerminalWindowClass(wmClass);
        }
        window = parentOf(connection_.get(), window);
    }
    return false;
}

bool XTestKeystrokeSender::postPasteChord() {
    xcb_connection_t* connection = connection_.get();
    if (xcb_connection_has_error(connection) != 0 || !xkb_ || keyboardDevice_ < 0) {
        return false;
    }
    // A request of a missing extension would close the whole connection.
    const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(connection, &xcb_test_id);
    if (xtest == nullptr || xtest->present == 0) {
        return false;
    }
    const std::unique_ptr<xkb_keymap, KeymapUnref> keymap(xkb_x11_keymap_new_from_device(
        xkb_.get(), connection, keyboardDevice_, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap) {
        return false;
    }
    const std::unique_ptr<xkb_state, StateUnref> state(
        xkb_x11_state_new_from_device(keymap.get(), connection, keyboardDevice_));
    if (!state) {
        return false;
    }
    const std::optional<xcb_keycode_t> vKey = keycodeFor(keymap.get(), state.get(), XKB_KEY_v);
    const std::optional<xcb_keycode_t> controlKey =
        keycodeFor(keymap.get(), state.get(), XKB_KEY_Control_L);
    if (!vKey || !controlKey) {
        return false;
    }
    QList<xcb_keycode_t> chordModifiers{*controlKey};
    if (focusedWindowIsTerminal()) {
        const std::optional<xcb_keycode_t> shiftKey =
            keycodeFor(keymap.get(), state.get(), XKB_KEY_Shift_L);
        if (shiftKey) {
            chordModifiers.append(*shiftKey);
        }
    }

    QList<xcb_void_cookie_t> cookies;
    const auto fake = [&](uint8_t type, xcb_keycode_t key) {
        cookies.append(xcb_test_fake_input_checked(connection, type, key, XCB_CURRENT_TIME,
                                                   kNoWindow, 0, 0, 0));
    };
    for (xcb_keycode_t key : chordModifiers)
        fake(XCB_KEY_PRESS, key);
    fake(XCB_KEY_PRESS, *vKey);
    fake(XCB_KEY_RELEASE, *vKey);
    for (auto key = chordModifiers.crbegin(); key != chordModifiers.crend(); ++key) {
        fake(XCB_KEY_RELEASE, *key);
    }
    bool sent = true;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
            std::free(error);
            sent = false;
        }
    }
    return sent;
}
