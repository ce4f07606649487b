#include "platform/wayland/VirtualKeyboardKeystrokeSender.h"

#include "base/Log.h"
#include "platform/wayland/WaylandConnection.h"

#include <QElapsedTimer>

#include <ctime>

#include <sys/mman.h>
#include <unistd.h>

#include <linux/input-event-codes.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "virtual-keyboard-unstable-v1-client-protocol.h"

namespace {

constexpr quint32 kPressed = WL_KEYBOARD_KEY_STATE_PRESSED;
constexpr quint32 kReleased = WL_KEYBOARD_KEY_STATE_RELEASED;
// xkbcommon key codes are evdev codes plus 8.
constexpr quint32 kEvdevOffset = 8;

quint32 nowMs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return quint32(quint64(now.tv_sec) * 1000 + quint64(now.tv_nsec) / 1000000);
}

// The first key code whose first level on the first layout produces the key sym, 0 when none.
xkb_keycode_t keycodeFor(xkb_keymap* keymap, xkb_keysym_t wanted) {
    for (xkb_keycode_t code = xkb_keymap_min_keycode(keymap);
         code <= xkb_keymap_max_keycode(keymap); ++code) {
        const xkb_keysym_t* syms = nullptr;
        const int count = xkb_keymap_key_get_syms_by_level(keymap, code, 0, 0, &syms);
        for (int i = 0; i < count; ++i) {
            if (syms[i] == wanted)
                return code;
        }
    }
    return 0;
}

}  // namespace

struct VirtualKeyboardKeystrokeSender::Private {
    WaylandConnection& connection;
    xkb_context* context = nullptr;
    xkb_keymap* keymap = nullptr;
    zwp_virtual_keyboard_manager_v1* manager = nullptr;
    zwp_virtual_keyboard_v1* keyboard = nullptr;
    wl_seat* seat = nullptr;
    wl_keyboard* seatKeyboard = nullptr;
    QByteArray seatKeymap;
    QByteArray keymapText;
    xkb_keycode_t control = 0;
    xkb_keycode_t v = 0;
    xkb_keycode_t shift = 0;
    xkb_keycode_t insert = 0;
    quint32 controlMask = 0;
    quint32 shiftMask = 0;

    explicit Private(WaylandConnection& c) : connection(c) {}

    static void onKeymap(void* data, wl_keyboard*, quint32 format, int32_t fd, quint32 size) {
        auto* self = static_cast<Private*>(data);
        if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0) {
            void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
            if (mapped != MAP_FAILED) {
                self->seatKeymap = QByteArray(static_cast<const char*>(mapped), int(size));
                ::munmap(mapped, size);
                // The text ends with its terminating NUL.
                while (self->seatKeymap.endsWith('\0'))
                    self->seatKeymap.chop(1);
            }
        }
        ::close(fd);
    }
    static void onEnter(void*, wl_keyboard*, quint32, wl_surface*, wl_array*) {}
    static void onLeave(void*, wl_keyboard*, quint32, wl_surface*) {}
    static void onKey(void*, wl_keyboard*, quint32, quint32, quint32, quint32) {}
    static void onModifiers(void*, wl_keyboard*, quint32, quint32, quint32, quint32, quint32) {}
    static void onRepeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}

    static void onCapabilities(void* data, wl_seat* seat, quint32 capabilities) {
        auto* self = static_cast<Private*>(data);
        if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && !self->seatKeyboard) {
            static const wl_keyboard_listener listener = {&onKeymap, &onEnter,     &onLeave,
                                                          &onKey,    &onModifiers, &onRepeatInfo};
            self->seatKeyboard = wl_seat_get_keyboard(seat);
            wl_keyboard_add_listener(self->seatKeyboard, &listener, self);
        }
    }
    static void onSeatName(void*, wl_seat*, const char*) {}

    quint32 modMask(const char* name) const {
        const xkb_mod_index_t index = xkb_keymap_mod_get_index(keymap, name);
        return index == XKB_MOD_INVALID ? 0 : (1u << index);
    }

    // The chord's modifier and key, each 0 when the keymap lacks it.
    struct Keys {
        xkb_keycode_t modifier;
        quint32 mask;
        xkb_keycode_t key;
    };
    Keys keysFor(PasteChord chord) const {
        if (chord == PasteChord::ShiftInsert)
            return {shift, shiftMask, insert};
        return {control, controlMask, v};
    }

    // The seat's keymap when it has one with the chord's keys; otherwise the default layout.
    bool buildKeymap() {
        context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        if (!context)
            return false;
        if (!seatKeymap.isEmpty()) {
            keymap =
                xkb_keymap_new_from_string(context, seatKeymap.constData(),
                                           XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
            if (keymap && (keycodeFor(keymap, XKB_KEY_v) == 0 ||
                           keycodeFor(keymap, XKB_KEY_Control_L) == 0)) {
                xkb_keymap_unref(keymap);
                keymap = nullptr;
            }
        }
        if (!keymap) {
            const xkb_rule_names names = {nullptr, nullptr, "us", nullptr, nullptr};
            keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
        }
        if (!keymap)
            return false;
        control = keycodeFor(keymap, XKB_KEY_Control_L);
        v = keycodeFor(keymap, XKB_KEY_v);
        shift = keycodeFor(keymap, XKB_KEY_Shift_L);
        insert = keycodeFor(keymap, XKB_KEY_Insert);
        controlMask = modMask(XKB_MOD_NAME_CTRL);
        shiftMask = modMask(XKB_MOD_NAME_SHIFT);
        char* text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
        if (!text)
            return false;
        keymapText = QByteArray(text);
        std::free(text);
        return control != 0 && v != 0 && controlMask != 0;
    }

    bool uploadKeymap() {
        const int fd = ::memfd_create("quillo-keymap", MFD_CLOEXEC);
        if (fd < 0)
            return false;
        const QByteArray data = keymapText + '\0';
        qsizetype written = 0;
        while (written < data.size()) {
            const ssize_t got =
                ::write(fd, data.constData() + written, size_t(data.size() - written));
            if (got <= 0) {
                ::close(fd);
                return false;
            }
            written += got;
        }
        zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                       quint32(data.size()));
        ::close(fd);
        return true;
    }

    void key(xkb_keycode_t code, quint32 state) {
        zwp_virtual_keyboard_v1_key(keyboard, nowMs(), code - kEvdevOffset, state);
    }
};

VirtualKeyboardKeystrokeSender::VirtualKeyboardKeystrokeSender(WaylandConnection& connection)
    : d(std::make_unique<Private>(connection)) {
    d->manager = static_cast<zwp_virtual_keyboard_manager_v1*>(
        connection.bind(&zwp_virtual_keyboard_manager_v1_interface, 1));
    // A seat proxy of our own: its events need a listener, and the shared one has none.
    d->seat = static_cast<wl_seat*>(connection.bind(&wl_seat_interface, 4));
    wl_seat* seat = d->seat;
    if (!d->manager || !seat)
        return;

    // Ask the seat for its keymap: a keyboard of ours with the same one changes nothing for the
    // user's typing. Two round trips: capabilities, then the keymap of the keyboard asked for.
    static const wl_seat_listener seatListener = {&Private::onCapabilities, &Private::onSeatName};
    wl_seat_add_listener(seat, &seatListener, d.get());
    connection.roundtrip();
    connection.roundtrip();
    if (!d->buildKeymap()) {
        Log::line(QStringLiteral(
            "[ClipboardManager] No keymap with Control and V for the virtual keyboard"));
        return;
    }
    d->keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(d->manager, seat);
    if (!d->uploadKeymap()) {
        zwp_virtual_keyboard_v1_destroy(d->keyboard);
        d->keyboard = nullptr;
        return;
    }
    connection.roundtrip();
    connection.watch();
}

VirtualKeyboardKeystrokeSender::~VirtualKeyboardKeystrokeSender() {
    if (d->keyboard)
        zwp_virtual_keyboard_v1_destroy(d->keyboard);
    if (d->seatKeyboard)
        wl_keyboard_release(d->seatKeyboard);
    if (d->seat)
        wl_seat_destroy(d->seat);
    if (d->manager)
        zwp_virtual_keyboard_manager_v1_destroy(d->manager);
    if (d->keymap)
        xkb_keymap_unref(d->keymap);
    if (d->context)
        xkb_context_unref(d->context);
    d->connection.flush();
}

bool VirtualKeyboardKeystrokeSender::isAvailable() const {
    return d->keyboard != nullptr && d->connection.isValid();
}

KeystrokeSender::Modifiers VirtualKeyboardKeystrokeSender::currentModifiers() {
    // This keyboard holds no key between chords.
    return 0;
}

PasteChord VirtualKeyboardKeystrokeSender::chordForFocusedWindow() {
    return PasteChord::ControlV;
}

KeystrokeSender::Result VirtualKeyboardKeystrokeSender::postPasteChord(PasteChord chord) {
    const Private::Keys keys = d->keysFor(chord);
    if (!isAvailable() || keys.modifier == 0 || keys.key == 0 || keys.mask == 0)
        return Result::NotSent;
    // The modifier state sent is exactly the chord's: nothing else of this keyboard's counts.
    d->key(keys.modifier, kPressed);
    zwp_virtual_keyboard_v1_modifiers(d->keyboard, keys.mask, 0, 0, 0);
    d->key(keys.key, kPressed);
    d->key(keys.key, kReleased);
    d->key(keys.modifier, kReleased);
    zwp_virtual_keyboard_v1_modifiers(d->keyboard, 0, 0, 0, 0);
    d->connection.flush();
    // The compositor releases a lost client's keys: nothing to release here.
    return d->connection.isValid() ? Result::Sent : Result::PartlySent;
}

QByteArray VirtualKeyboardKeystrokeSender::keymapText() const {
    return d->keymapText;
}
