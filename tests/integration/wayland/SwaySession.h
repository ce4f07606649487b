#pragma once

// What the Wayland tests share: the headless sway that scripts/with-sway.sh started, and ways to
// run other clients of it while our own event loop keeps answering the compositor.

#include "support/ChildProcess.h"
#include "support/EventLoop.h"

namespace SwaySession {

inline QByteArray socket() {
    return qgetenv("QUILLO_TEST_WAYLAND_DISPLAY");
}

inline QProcessEnvironment clientEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QString::fromLocal8Bit(socket()));
    environment.remove(QStringLiteral("DISPLAY"));
    return environment;
}

// A native Qt Wayland text field in another process; sway gives a new window the focus. It
// prints "focused", then "text <what it holds>" at every change.
inline ChildProcess textField() {
    return ChildProcess(QStringLiteral(QUILLO_BINARY_DIR "/tests/wayland_text_field_child"), {},
                        {.environment = clientEnvironment()});
}

// wl-paste run to its end while our event loop runs, since it may read from us.
inline ChildProcess::Result wlPaste(const QStringList& arguments) {
    return ChildProcess::run(QStringLiteral("wl-paste"), arguments, clientEnvironment());
}

}  // namespace SwaySession
