#include "platform/x11/X11KeyboardLayout.h"

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyCodes.h"

#include <xkbcommon/xkbcommon-x11.h>

#include <memory>

namespace {

template <auto Free>
struct Deleter {
    template <typename T>
    void operator()(T* p) const { Free(p); }
};
using Context = std::unique_ptr<xkb_context, Deleter<xkb_context_unref>>;
using Keymap = std::unique_ptr<xkb_keymap, Deleter<xkb_keymap_unref>>;
using State = std::unique_ptr<xkb_state, Deleter<xkb_state_unref>>;

}  // namespace

struct X11KeyboardLayout::Private {
    X11Connection connection;
    Context context;
    int32_t deviceId = -1;
};

X11KeyboardLayout::X11KeyboardLayout() : d(std::make_unique<Private>()) {
    if (!d->connection.isValid()) return;
    if (!xkb_x11_setup_xkb_extension(d->connection.get(), XKB_X11_MIN_MAJOR_XKB_VERSION,
                                     XKB_X11_MIN_MINOR_XKB_VERSION, XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS,
                                     nullptr, nullptr, nullptr, nullptr)) {
        return;
    }
    d->deviceId = xkb_x11_get_core_keyboard_device_id(d->connection.get());
    d->context.reset(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
}

X11KeyboardLayout::~X11KeyboardLayout() = default;

std::optional<QString> X11KeyboardLayout::characterForKeyCode(int keyCode) {
    const auto xKeyCode = X11KeyCodes::toX(keyCode);
    if (!xKeyCode || !d->context || d->deviceId < 0) return std::nullopt;
    Keymap keymap(xkb_x11_keymap_new_from_device(d->context.get(), d->connection.get(), d->deviceId,
                                                 XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap) return std::nullopt;
    // The active layout group, but none of the modifiers the user may be holding right now.
    State current(xkb_x11_state_new_from_device(keymap.get(), d->connection.get(), d->deviceId));
    const xkb_layout_index_t group =
        current ? xkb_state_serialize_layout(current.get(), XKB_STATE_LAYOUT_EFFECTIVE) : 0;
    State plain(xkb_state_new(keymap.get()));
    if (!plain) return std::nullopt;
    xkb_state_update_mask(plain.get(), 0, 0, 0, 0, 0, group);

    char text[16] = {};
    const int length = xkb_state_key_get_utf8(plain.get(), *xKeyCode, text, sizeof text);
    if (length <= 0 || length >= int(sizeof text)) return std::nullopt;
    const QString character = QString::fromUtf8(text, length);
    // Keys that type a control character (Return, Escape, ...) have no printable name.
    for (const QChar c : character) {
        if (!c.isPrint()) return std::nullopt;
    }
    return character;
}
