#pragma once

// What the Wayland tests share: the headless sway that scripts/with-sway.sh started, and ways to
// run other clients of it while our own event loop keeps answering the compositor.

#include "support/EventLoop.h"

#include <QProcess>

#include <chrono>

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

struct ToolResult {
    bool finished = false;
    int exitCode = -1;
    QByteArray out;
};

// Runs a tool such as wl-paste to its end while our event loop runs, since it may read from us.
inline ToolResult runTool(const QString& program, const QStringList& arguments,
                          std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
    QProcess process;
    process.setProcessEnvironment(clientEnvironment());
    process.start(program, arguments);
    ToolResult result;
    result.finished = waitUntil([&] { return process.state() == QProcess::NotRunning; }, timeout);
    if (!result.finished) {
        process.kill();
        process.waitForFinished(1000);
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    return result;
}

}  // namespace SwaySession
