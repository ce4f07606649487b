#pragma once

// Internal to the X11 implementations: include it from .cpp files only, after the Qt headers.

#include <QByteArray>
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
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    bool isValid() const { return connection_ != nullptr; }
    xcb_connection_t* get() const { return connection_; }
    xcb_window_t root() const { return root_; }

    // Starts watching the socket; events go to the handler.
    void watch(EventHandler handler);
    void dispatchPending();
    void flush();

    // The modifier mask bit (Mod1...Mod5) that carries the key sym, 0 when none does.
    quint16 modifierMaskForKeysym(quint32 keysym);

private:
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_;
    EventHandler handler_;
};
