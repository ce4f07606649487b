#pragma once

// Every test that types through this client waits for the effect with the event loop.
#include "support/EventLoop.h"

#include <QByteArray>
#include <QtGlobal>

#include <memory>

// Another X client for the tests: types real key events through XTest and can hold key
// grabs of its own. Key codes here are X key codes (evdev + 8: Space 65, left Alt 64,
// right Alt 108, D 40, Caps Lock 66).
class X11TestClient {
public:
    // Connects to $DISPLAY, or to `displayName` when given.
    explicit X11TestClient(const QByteArray& displayName = {});
    ~X11TestClient();

    bool isConnected() const;
    void press(quint8 xKeyCode);
    void release(quint8 xKeyCode);
    // Grabs the key with exactly these X modifiers on the root window; true when granted.
    bool grabKey(quint8 xKeyCode, quint16 xModifiers);
    void ungrabKey(quint8 xKeyCode, quint16 xModifiers);

private:
    void sync();
    struct Private;
    std::unique_ptr<Private> d;
};
