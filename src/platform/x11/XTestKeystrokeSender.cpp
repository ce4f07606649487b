#include "platform/x11/XTestKeystrokeSender.h"

#include <QList>
#include <QString>

#include <xcb/xcb.h>
#include <xcb/xtest.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
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

// The key that gives `keysym` without any modifier, looked up anew each time since the user
// may switch layouts between two dictations. The active layout's key comes first; otherwise
// any layout's: under a Russian or Greek layout the Latin "v" sits in another group, and
// toolkits match a shortcut by the key's symbol in any group.
std::optional<xcb_keycode_t> keycodeFor(xkb_keymap* keymap, xkb_state* state, xkb_keysym_t keysym) {
    const auto gives = [&](xkb_keycode_t code, xkb_layout_index_t layout) {
        const xkb_keysym_t* syms = nullptr;
        const int count = xkb_keymap_key_get_syms_by_level(keymap, code, layout, 0, &syms);
        return std::find(syms, syms + std::max(count, 0), keysym) != syms + std::max(count, 0);
    };
    const xkb_keycode_t first = xkb_keymap_min_keycode(keymap);
    const xkb_keycode_t last = std::min<xkb_keycode_t>(xkb_keymap_max_keycode(keymap), 255);
    for (xkb_keycode_t code = first; code <= last; ++code) {
        const xkb_layout_index_t active = xkb_state_key_get_layout(state, code);
        if (active != XKB_LAYOUT_INVALID && gives(code, active)) {
            return static_cast<xcb_keycode_t>(code);
        }
    }
    for (xkb_keycode_t code = first; code <= last; ++code) {
        const xkb_layout_index_t layouts = xkb_keymap_num_layouts_for_key(keymap, code);
        for (xkb_layout_index_t layout = 0; layout < layouts; ++layout) {
            if (gives(code, layout)) {
                return static_cast<xcb_keycode_t>(code);
            }
        }
    }
    return std::nullopt;
}

// The modifier keys (Shift, Control, Mod1 to Mod5; not Lock) down at this moment.
QList<quint8> heldModifierKeys(xcb_connection_t* connection) {
    const Reply<xcb_query_keymap_reply_t> keys(
        xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr));
    const Reply<xcb_get_modifier_mapping_reply_t> map(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
    QList<quint8> held;
    if (!keys || !map) {
        return held;
    }
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(map.get());
    const int perModifier = map->keycodes_per_modifier;
    constexpr int kLockRow = 1;
    for (int row = 0; row < 8; ++row) {
        for (int i = 0; row != kLockRow && i < perModifier; ++i) {
            const xcb_keycode_t code = codes[row * perModifier + i];
            const bool down = (keys->keys[code / 8] >> (code % 8)) & 1;
            if (code != 0 && down && !held.contains(code)) {
                held.append(code);
            }
        }
    }
    return held;
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

PasteChord XTestKeystrokeSender::chordForFocusedWindow() {
    if (xcb_connection_has_error(connection_.get()) != 0 || root_ == 0) {
        return PasteChord::ControlV;
    }
    return focusedWindowIsTerminal() ? PasteChord::ShiftInsert : PasteChord::ControlV;
}

QList<XTestKeystrokeSender::KeyEvent> XTestKeystrokeSender::chordEvents(
    const QList<quint8>& heldModifiers, quint8 modifierKey, quint8 key) {
    QList<KeyEvent> events;
    for (quint8 held : heldModifiers) {
        events.append({false, held, false});
    }
    events.append({true, modifierKey, true});
    events.append({true, key, true});
    events.append({false, key, true});
    events.append({false, modifierKey, true});
    for (quint8 held : heldModifiers) {
        events.append({true, held, false});
    }
    return events;
}

KeystrokeSender::Result XTestKeystrokeSender::sendChordEvents(
    const QList<KeyEvent>& events, const std::function<bool(const KeyEvent&)>& send) {
    const qsizetype chordEvents =
        std::count_if(events.cbegin(), events.cend(), [](const KeyEvent& e) { return e.ofChord; });
    qsizetype chordSent = 0;
    QList<quint8> chordDown;
    QList<quint8> lifted;
    for (const KeyEvent& event : events) {
        if (!send(event)) {
            break;
        }
        QList<quint8>& keys = event.ofChord ? chordDown : lifted;
        if (event.press == event.ofChord) {
            keys.append(event.key);
        } else {
            keys.removeOne(event.key);
        }
        chordSent += event.ofChord ? 1 : 0;
    }
    // Whatever happened, no key of ours stays down and the user's held keys are down again.
    for (auto key = chordDown.crbegin(); key != chordDown.crend(); ++key) {
        send({false, *key, true});
    }
    for (quint8 key : lifted) {
        send({true, key, false});
    }
    if (chordSent == chordEvents) {
        return Result::Sent;
    }
    return chordSent == 0 ? Result::NotSent : Result::PartlySent;
}

KeystrokeSender::Result XTestKeystrokeSender::postPasteChord(PasteChord chord) {
    xcb_connection_t* connection = connection_.get();
    if (xcb_connection_has_error(connection) != 0 || !xkb_ || keyboardDevice_ < 0) {
        return Result::NotSent;
    }
    // A request of a missing extension would close the whole connection.
    const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(connection, &xcb_test_id);
    if (xtest == nullptr || xtest->present == 0) {
        return Result::NotSent;
    }
    const std::unique_ptr<xkb_keymap, KeymapUnref> keymap(xkb_x11_keymap_new_from_device(
        xkb_.get(), connection, keyboardDevice_, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap) {
        return Result::NotSent;
    }
    const std::unique_ptr<xkb_state, StateUnref> state(
        xkb_x11_state_new_from_device(keymap.get(), connection, keyboardDevice_));
    if (!state) {
        return Result::NotSent;
    }
    const bool terminalChord = chord == PasteChord::ShiftInsert;
    const std::optional<xcb_keycode_t> key =
        keycodeFor(keymap.get(), state.get(), terminalChord ? XKB_KEY_Insert : XKB_KEY_v);
    const std::optional<xcb_keycode_t> modifierKey =
        keycodeFor(keymap.get(), state.get(), terminalChord ? XKB_KEY_Shift_L : XKB_KEY_Control_L);
    if (!key || !modifierKey) {
        return Result::NotSent;
    }
    const QList<KeyEvent> events = chordEvents(heldModifierKeys(connection), *modifierKey, *key);
    return sendChordEvents(events, [connection](const KeyEvent& event) {
        const xcb_void_cookie_t cookie =
            xcb_test_fake_input_checked(connection, event.press ? XCB_KEY_PRESS : XCB_KEY_RELEASE,
                                        event.key, XCB_CURRENT_TIME, kNoWindow, 0, 0, 0);
        xcb_generic_error_t* error = xcb_request_check(connection, cookie);
        std::free(error);
        return error == nullptr;
    });
}
