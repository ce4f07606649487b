#pragma once

// Decides, the same way for every test that needs a real server, what happens when the server is
// missing: in continuous integration (CI set) the test fails with the reason, since a broken
// harness must not leave the suite green; on a developer's machine it skips and says why.
//
//   REQUIRE_ENVIRONMENT(RequireEnvironment::hasXWindows(), "the X display of
//   scripts/with-test-env.sh");
//
// Header-only: the Wayland suite links none of the other support code.

#include <QGuiApplication>
#include <QString>

#include <gtest/gtest.h>

namespace RequireEnvironment {

inline bool failsWhenMissing() {
    return !qEnvironmentVariableIsEmpty("CI");
}

// An X server to talk to over our own xcb connection.
inline bool hasXServer() {
    return !qEnvironmentVariableIsEmpty("DISPLAY");
}

// Qt's own windows on the X server (the xcb platform plugin), for tests that show widgets there.
inline bool hasXWindows() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// The private PulseAudio server with its virtual microphone pipe.
inline bool hasSoundServer() {
    return !qEnvironmentVariableIsEmpty("QUILLO_TEST_MIC_PIPE");
}

// The headless sway of scripts/with-sway.sh.
inline bool hasSway() {
    return !qEnvironmentVariableIsEmpty("QUILLO_TEST_WAYLAND_DISPLAY");
}

// The headless GNOME Shell of scripts/with-gnome.sh (its marker; GnomeTestSession::isRunning
// also asks the bus).
inline bool hasGnomeShell() {
    return !qEnvironmentVariableIsEmpty("QUILLO_TEST_GNOME_SHELL");
}

}  // namespace RequireEnvironment

// Ends the test (or the fixture's SetUp) when `present` is false: a failure under CI, else a skip.
#define REQUIRE_ENVIRONMENT(present, what)                                                  \
    do {                                                                                    \
        if (!(present)) {                                                                   \
            if (::RequireEnvironment::failsWhenMissing())                                   \
                GTEST_FAIL() << "missing " << what << " (CI is set, so this is a failure)"; \
            GTEST_SKIP() << "missing " << what << " (skipped: CI is not set)";              \
        }                                                                                   \
    } while (false)
