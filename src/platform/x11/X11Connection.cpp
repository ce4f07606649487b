#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>

#include "platform/x11/X11Connection.h"

#include <algorithm>
#include <cstdlib>

X11Connection::X11Connection(const QByteArray& displayName) {
    xcb_connection_t* connection =
        xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    const xcb_setup_t* setup = xcb_get_setup(connection);
    root_ = xcb_setup_roots_iterator(setup).data->root;
    connection_ = connection;
}

std::shared_ptr<X11Connection> X11Connection::sharedForKeyGrabs() {
    static std::weak_ptr<X11Connection> shared;
    std::shared_ptr<X11Connection> connection = shared.lock();
    if (!connection) {
        connection = std::make_shared<X11Connection>();
        shared = connection;
    }
    return connection;
}

X11Connection::~X11Connection() {
    notifier_.reset();
    if (connection_) xcb_disconnect(connection_);
}

ScopedRegistration X11Connection::watch(EventHandler handler) {
    const quint64 token = nextToken_++;
    handlers_.append({token, std::move(handler)});
    ScopedRegistration registration([this, token] {
        handlers_.removeIf([token](const auto& entry) { return entry.first == token; });
    });
    if (!connection_ || notifier_)
        return registration;
    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { dispatchPending(); });
    if (auto* dispatcher = QCoreApplication::eventDispatcher()) {
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, notifier_.get(),
                         [this] { dispatchPending(); });
    }
    return registration;
}

void X11Connection::dispatchPending() {
    if (!connection_) return;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        // A handler may end another's registration: each is looked up again before its call.
        const auto handlersNow = handlers_;
        for (const auto& [token, handler] : handlersNow) {
            const bool stillWatching =
                std::any_of(handlers_.cbegin(), handlers_.cend(),
                            [token](const auto& entry) { return entry.first == token; });
            if (stillWatching)
                handler(*event);
        }
        std::free(event);
    }
    // A lost server leaves the socket readable for ever: stop listening instead of spinning.
    if (notifier_ && xcb_connection_has_error(connection_)) notifier_->setEnabled(false);
}

void X11Connection::flush() {
    if (connection_) xcb_flush(connection_);
}

quint16 X11Connection::modifierMaskForKeysym(quint32 keysym) {
    if (!connection_) return 0;
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    const quint8 minKeycode = setup->min_keycode;
    const quint8 maxKeycode = setup->max_keycode;

    auto* keyboard = xcb_get_keyboard_mapping_reply(
        connection_, xcb_get_keyboard_mapping(connection_, minKeycode, maxKeycode - minKeycode + 1), nullptr);
    auto* modifiers = xcb_get_modifier_mapping_reply(connection_, xcb_get_modifier_mapping(connection_), nullptr);
    quint16 mask = 0;
    if (keyboard && modifiers) {
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(keyboard);
        const int perKey = keyboard->keysyms_per_keycode;
        const xcb_keycode_t* modKeys = xcb_get_modifier_mapping_keycodes(modifiers);
        const int perMod = modifiers->keycodes_per_modifier;
        // Rows 3...7 of the modifier map are Mod1...Mod5.
        for (int mod = 3; mod < 8 && !mask; ++mod) {
            for (int i = 0; i < perMod && !mask; ++i) {
                const xcb_keycode_t code = modKeys[mod * perMod + i];
                if (code < minKeycode || code > maxKeycode) continue;
                for (int s = 0; s < perKey; ++s) {
                    if (syms[(code - minKeycode) * perKey + s] == keysym) {
                        mask = quint16(1u << mod);
                        break;
                    }
                }
            }
        }
    }
    std::free(keyboard);
    std::free(modifiers);
    return mask;
}
