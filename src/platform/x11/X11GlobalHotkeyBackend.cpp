#include <QList>

#include "platform/x11/X11GlobalHotkeyBackend.h"

#include "platform/x11/WaylandSessionNotice.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyCodes.h"

// WORKAROUND: xcb/xkb.h names a struct member `explicit`, a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <array>
#include <cstdlib>

namespace {

constexpr quint32 numLockKeysym = 0xff7f;

struct Grab {
    quint64 token;
    xcb_keycode_t keyCode;
    quint16 modifiers;
    HotkeyId id;
    bool down = false;
};

}  // namespace

struct X11GlobalHotkeyBackend::Private {
    // Shared with the cancel grab, which must see Escape while a held hotkey holds the keyboard.
    std::shared_ptr<X11Connection> sharedConnection = X11Connection::sharedForKeyGrabs();
    X11Connection& connection = *sharedConnection;
    ScopedRegistration watching;
    quint16 numLockMask = 0;
    quint64 nextToken = 1;
    QList<std::pair<quint64, Handler>> handlers;
    QList<Grab> grabs;

    void enableDetectableAutoRepeat();
    std::array<quint16, 4> lockVariants() const;
    int grab(xcb_keycode_t keyCode, quint16 modifiers);
    void ungrab(xcb_keycode_t keyCode, quint16 modifiers);
    void onEvent(const xcb_generic_event_t& event);
    void dispatch(const HotkeyEvent& event);
};

void X11GlobalHotkeyBackend::Private::enableDetectableAutoRepeat() {
    xcb_connection_t* c = connection.get();
    auto* version = xcb_xkb_use_extension_reply(
        c, xcb_xkb_use_extension(c, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr);
    const bool supported = version && version->supported;
    std::free(version);
    if (!supported) return;
    // Only this connection's view of repeats changes: Qt's windows keep their own.
    const quint32 flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    std::free(xcb_xkb_per_client_flags_reply(
        c, xcb_xkb_per_client_flags(c, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0), nullptr));
}

std::array<quint16, 4> X11GlobalHotkeyBackend::Private::lockVariants() const {
    const quint16 capsLock = XCB_MOD_MASK_LOCK;
    return {0, capsLock, numLockMask, quint16(capsLock | numLockMask)};
}

int X11GlobalHotkeyBackend::Private::grab(xcb_keycode_t keyCode, quint16 modifiers) {
    xcb_connection_t* c = connection.get();
    std::array<xcb_void_cookie_t, 4> cookies{};
    const auto variants = lockVariants();
    for (std::size_t i = 0; i < variants.size(); ++i) {
        cookies[i] = xcb_grab_key_checked(c, 0, connection.root(), modifiers | variants[i], keyCode,
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    }
    int status = noError;
    for (const auto& cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(c, cookie)) {
            if (status == noError) status = error->error_code;
            std::free(error);
        }
    }
    // Ungrabbing touches only this client's grabs, so the variants we did get go again.
    if (status != noError) ungrab(keyCode, modifiers);
    connection.dispatchPending();
    return status;
}

void X11GlobalHotkeyBackend::Private::ungrab(xcb_keycode_t keyCode, quint16 modifiers) {
    for (quint16 variant : lockVariants()) {
        xcb_ungrab_key(connection.get(), keyCode, connection.root(), modifiers | variant);
    }
    connection.flush();
}

void X11GlobalHotkeyBackend::Private::onEvent(const xcb_generic_event_t& event) {
    const quint8 type = event.response_type & 0x7f;
    if (type == XCB_KEY_PRESS) {
        const auto& press = reinterpret_cast<const xcb_key_press_event_t&>(event);
        const quint16 held = press.state & ~quint16(XCB_MOD_MASK_LOCK | numLockMask);
        for (Grab& grab : grabs) {
            if (grab.keyCode != press.detail || grab.modifiers != (held & 0xff)) continue;
            // Detectable auto-repeat still repeats the press; only the first one counts.
            if (grab.down) return;
            grab.down = true;
            dispatch({grab.id, HotkeyEventKind::pressed});
            return;
        }
    } else if (type == XCB_KEY_RELEASE) {
        const auto& release = reinterpret_cast<const xcb_key_release_event_t&>(event);
        // By key alone: the modifiers may already be up when the key comes up.
        for (Grab& grab : grabs) {
            if (grab.keyCode != release.detail || !grab.down) continue;
            grab.down = false;
            dispatch({grab.id, HotkeyEventKind::released});
            return;
        }
    }
}

void X11GlobalHotkeyBackend::Private::dispatch(const HotkeyEvent& event) {
    const auto handlersNow = handlers;
    for (const auto& entry : handlersNow) {
        if (entry.second(event)) return;
    }
}

X11GlobalHotkeyBackend::X11GlobalHotkeyBackend() : d(std::make_unique<Private>()) {
    WaylandSessionNotice::logOnce();
    if (!d->connection.isValid()) return;
    d->enableDetectableAutoRepeat();
    d->numLockMask = d->connection.modifierMaskForKeysym(numLockKeysym);
    d->watching =
        d->connection.watch([this](const xcb_generic_event_t& event) { d->onEvent(event); });
}

// The connection may live on with the cancel grab: the grabs go with their owner.
X11GlobalHotkeyBackend::~X11GlobalHotkeyBackend() {
    for (const Grab& grab : std::as_const(d->grabs))
        d->ungrab(grab.keyCode, grab.modifiers);
}

GlobalHotkeyBackend::Outcome X11GlobalHotkeyBackend::installHandler(Handler handler) {
    if (!d->connection.isValid()) return {notConnected, {}};
    const quint64 token = d->nextToken++;
    d->handlers.append({token, std::move(handler)});
    Private* p = d.get();
    return {noError, ScopedRegistration([p, token] {
                p->handlers.removeIf([token](const auto& entry) { return entry.first == token; });
            })};
}

GlobalHotkeyBackend::Outcome X11GlobalHotkeyBackend::registerHotkey(quint32 keyCode, quint32 carbonModifiers,
                                                                     HotkeyId id) {
    if (!d->connection.isValid()) return {notConnected, {}};
    const auto xKeyCode = X11KeyCodes::toX(static_cast<int>(keyCode));
    if (!xKeyCode) return {paramError, {}};
    const quint16 modifiers = X11KeyCodes::toXModifiers(carbonModifiers);
    const int status = d->grab(*xKeyCode, modifiers);
    if (status != noError) return {status, {}};

    const quint64 token = d->nextToken++;
    d->grabs.append({token, *xKeyCode, modifiers, id});
    Private* p = d.get();
    return {noError, ScopedRegistration([p, token] {
                for (qsizetype i = 0; i < p->grabs.size(); ++i) {
                    if (p->grabs[i].token != token) continue;
                    p->ungrab(p->grabs[i].keyCode, p->grabs[i].modifiers);
                    p->grabs.removeAt(i);
                    return;
                }
            })};
}
