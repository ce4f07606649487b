#include "platform/x11/X11CancelKeyGrab.h"
#include "support/X11TestClient.h"
#include "support/RequireEnvironment.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr quint8 xEscape = 9;
constexpr quint8 xLeftShift = 50;

// A focused window that counts the Escape presses it receives.
class EscapeCounter final : public QWidget {
public:
    int escapes = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            ++escapes;
        }
    }
};

}  // namespace

TEST(CancelKeyGrab, EscapeIsOursOnlyWhileGrabbed) {
    REQUIRE_ENVIRONMENT(RequireEnvironment::hasXWindows(),
                        "the X display of scripts/with-test-env.sh");
    X11TestClient keyboard;
    ASSERT_TRUE(keyboard.isConnected());
    EscapeCounter window;
    window.resize(200, 100);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, 5000));

    X11CancelKeyGrab cancelKey;
    int cancels = 0;
    {
        ScopedRegistration grab = cancelKey.grab([&] { ++cancels; });
        ASSERT_TRUE(grab.isSet());
        EXPECT_FALSE(cancelKey.grab([] {}).isSet()) << "one holder at a time";

        keyboard.press(xEscape);
        keyboard.release(xEscape);
        ASSERT_TRUE(waitUntil([&] { return cancels == 1; }));
        // With a modifier held it cancels just the same.
        keyboard.press(xLeftShift);
        keyboard.press(xEscape);
        keyboard.release(xEscape);
        keyboard.release(xLeftShift);
        ASSERT_TRUE(waitUntil([&] { return cancels == 2; }));
        runEventLoopFor(100ms);
        EXPECT_EQ(window.escapes, 0) << "the application did not see the grabbed key";
    }

    // Released: Escape reaches the focused application again, and no longer cancels.
    keyboard.press(xEscape);
    keyboard.release(xEscape);
    EXPECT_TRUE(waitUntil([&] { return window.escapes == 1; }));
    EXPECT_EQ(cancels, 2);

    // Another client holding Escape makes the grab fail instead of stealing it.
    ASSERT_TRUE(keyboard.grabKey(xEscape, 0));
    EXPECT_FALSE(cancelKey.grab([] {}).isSet());
    keyboard.ungrabKey(xEscape, 0);
    EXPECT_TRUE(cancelKey.grab([] {}).isSet());
}
