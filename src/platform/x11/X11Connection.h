#pragma once

// Internal to the X11 implementations: include it from .cpp files only, after the Qt headers.

#include "base/ScopedRegistration.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <functional>
#include <memory>

#include <xcb/xcb.h>

class QSocketNotifier;

// One private connection to the X server, independent of Qt's own. Events are dispatched
// on the main thread: when the socket has data, and before the event loop sleeps, since a
// round trip may already have pulled events off the socket into xcb's queue.
class X11Connection {
public:
    using EventHandler = std::function<void(const xcb_generic_event_t& event)>;

    // Connects to $DISPLAY, or to `displayName` when given.
    explicit X11Connection(const QByteArray& displayName = {});
    // The connection every key grab of this process shares, open while one of them holds it.
    // A triggered grab sends every key to the client that holds it, so the hotkey's grab would
    // hide Escape from a cancel grab on another connection.
    static std::shared_ptr<X11Connection> sharedForKeyGrabs();
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    bool isValid() const { return connection_ != nullptr; }
    xcb_connection_t* get() const { return connection_; }
    xcb_window_t root() const { return root_; }

    // Starts watching the socket; every event goes to each handler until its registration goes.
    [[nodiscard]] ScopedRegistration watch(EventHandler handler);
    void dispatchPending();
    void flush();

    // The modifier mask bit (Mod1...Mod5) that carries the key sym, 0 when none does.
    quint16 modifierMaskForKeysym(quint32 keysym);

private:
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_;
    QList<std::pair<quint64, EventHandler>> handlers_;
    quint64 nextToken_ = 1;
};
