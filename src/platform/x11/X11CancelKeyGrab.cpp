#include "platform/x11/X11CancelKeyGrab.h"

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyCodes.h"

// WORKAROUND: xcb/xkb.h names a struct member `explicit`, a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>

namespace {

constexpr int escapeKeyCode = 53;  // portable numbering

}  // namespace

struct X11CancelKeyGrab::Private {
    // The hotkey's connection: while a held hotkey has the keyboard grabbed, the server sends
    // Escape to that connection alone.
    std::shared_ptr<X11Connection> sharedConnection = X11Connection::sharedForKeyGrabs();
    X11Connection& connection = *sharedConnection;
    ScopedRegistration watching;
    std::optional<quint8> escape = X11KeyCodes::toX(escapeKeyCode);
    Handler handler;
    quint64 generation = 0;
    bool down = false;

    void enableDetectableAutoRepeat();
    bool grabKey();
    void ungrabKey();
    void onEvent(const xcb_generic_event_t& event);
};

void X11CancelKeyGrab::Private::enableDetectableAutoRepeat() {
    xcb_connection_t* c = connection.get();
    auto* version = xcb_xkb_use_extension_reply(
        c, xcb_xkb_use_extension(c, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr);
    const bool supported = version && version->supported;
    std::free(version);
    if (!supported) {
        return;
    }
    const quint32 flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    std::free(xcb_xkb_per_client_flags_reply(
        c, xcb_xkb_per_client_flags(c, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0), nullptr));
}

// Escape with any modifiers: Shift+Escape or Escape with NumLock on cancels just the same.
bool X11CancelKeyGrab::Private::grabKey() {
    xcb_connection_t* c = connection.get();
    const xcb_void_cookie_t cookie =
        xcb_grab_key_checked(c, 0, connection.root(), XCB_MOD_MASK_ANY, *escape,
                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    if (xcb_generic_error_t* error = xcb_request_check(c, cookie)) {
        std::free(error);
        return false;
    }
    return true;
}

void X11CancelKeyGrab::Private::ungrabKey() {
    xcb_ungrab_key(connection.get(), *escape, connection.root(), XCB_MOD_MASK_ANY);
    connection.flush();
    down = false;
}

void X11CancelKeyGrab::Private::onEvent(const xcb_generic_event_t& event) {
    const quint8 type = event.response_type & 0x7f;
    if (type == XCB_KEY_PRESS) {
        const auto& press = reinterpret_cast<const xcb_key_press_event_t&>(event);
        if (press.detail != *escape || down || !handler) {
            return;
        }
        down = true;
        const Handler current = handler;  // the handler may release the grab
        current();
    } else if (type == XCB_KEY_RELEASE) {
        const auto& release = reinterpret_cast<const xcb_key_release_event_t&>(event);
        if (release.detail == *escape) {
            down = false;
        }
    }
}

X11CancelKeyGrab::X11CancelKeyGrab() : d(std::make_unique<Private>()) {
    if (!d->connection.isValid() || !d->escape) {
        return;
    }
    d->enableDetectableAutoRepeat();
    d->watching =
        d->connection.watch([this](const xcb_generic_event_t& event) { d->onEvent(event); });
}

// The connection may live on with the hotkey: a grab still held goes with its owner.
X11CancelKeyGrab::~X11CancelKeyGrab() {
    if (d->handler)
        d->ungrabKey();
}

ScopedRegistration X11CancelKeyGrab::grab(Handler onPressed) {
    if (!d->connection.isValid() || !d->escape || d->handler || !d->grabKey()) {
        return {};
    }
    d->handler = std::move(onPressed);
    const quint64 generation = ++d->generation;
    Private* p = d.get();
    return ScopedRegistration([p, generation] {
        if (p->generation != generation) {
            return;
        }
        p->handler = nullptr;
        p->ungrabKey();
    });
}
