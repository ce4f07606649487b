#pragma once

#include <QByteArray>
#include <QList>

#include <memory>

struct wl_display;
struct wl_interface;
struct wl_registry;
struct wl_seat;
class QSocketNotifier;

// One private connection to the Wayland compositor, independent of Qt's platform plugin, so the
// clipboard and the virtual keyboard also work under "offscreen" or through XWayland. Its events
// are dispatched on the main thread: when the socket has data, and before the event loop sleeps,
// since a round trip may already have queued some. Requests are flushed at the same moments.
class WaylandConnection {
public:
    struct Global {
        quint32 name = 0;
        QByteArray interface;
        quint32 version = 0;
    };

    // Connects to $WAYLAND_DISPLAY, or to the given socket name or path.
    explicit WaylandConnection(const QByteArray& socket = {});
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    // False without a compositor, or once the connection broke.
    bool isValid() const;
    wl_display* display() const { return display_; }

    // The globals the compositor announced when we connected.
    const QList<Global>& globals() const { return globals_; }
    bool hasGlobal(const char* interface) const;
    // Binds the first global of the interface at the lower of its version and maxVersion;
    // null when the compositor offers none. The caller owns the proxy.
    void* bind(const wl_interface* interface, quint32 maxVersion) const;
    // The first seat, bound once and kept; null when there is none.
    wl_seat* seat();

    // Sends the queued requests and waits until the compositor has handled them, dispatching
    // what arrives meanwhile. False when the connection broke.
    bool roundtrip();
    void flush();
    // Starts watching the socket from the event loop (idempotent).
    void watch();
    void dispatchPending();

private:
    static void onGlobal(void* data, wl_registry* registry, quint32 name, const char* interface,
                         quint32 version);
    static void onGlobalRemove(void* data, wl_registry* registry, quint32 name);
    void readAndDispatch();
    void checkError();

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    QList<Global> globals_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool broken_ = false;
};
