#pragma once

// Waiting in a test while the Qt event loop runs: replies, child processes, the display and the
// compositor all reach the test through it. Header-only: the Wayland suite links none of the
// other support code.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <functional>

// Runs the Qt event loop for the given real time.
inline void runEventLoopFor(std::chrono::milliseconds duration) {
    // A real loop that blocks, so "about to block" hooks run as they do in the application.
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the Qt event loop until the condition holds or the time is up; returns the condition.
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() >= timeout.count())
            return false;
        runEventLoopFor(std::chrono::milliseconds(10));
    }
    return true;
}
