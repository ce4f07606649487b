#include "platform/QtScheduler.h"
#include "platform/linux/X11ModifierEventSource.h"
#include "services/ModifierHotkeyManager.h"
#include "support/FakeAccessibilityTrust.h"
#include "support/LogCapture.h"
#include "support/X11TestClient.h"

#include <QList>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr quint8 xRightAlt = 108;
constexpr quint8 xLeftShift = 50;

struct Seen {
    int keyCode;
    quint64 flags;
    bool operator==(const Seen&) const = default;
};

TEST(ModifierWatch, ReportsRightAltWithItsOwnCodeAndTheFullMask) {
    X11TestClient keyboard;
    ASSERT_TRUE(keyboard.isConnected()) << "needs an X server (scripts/with-test-env.sh)";
    X11ModifierEventSource source;
    QList<Seen> seen;
    auto subscription = source.subscribe([&](const ModifierChange& change) { seen.append({change.keyCode, change.flags}); });
    ASSERT_TRUE(subscription.isSet());

    keyboard.press(xLeftShift);
    keyboard.press(xRightAlt);
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 2; }));
    EXPECT_TRUE(source.isKeyDown(61));
    keyboard.release(xRightAlt);
    keyboard.release(xLeftShift);
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 4; }));
    EXPECT_FALSE(source.isKeyDown(61));

    EXPECT_EQ(seen, QList<Seen>({{56, 0x20000}, {61, 0xA0000}, {61, 0x20000}, {56, 0}}));
}

TEST(ModifierWatch, RightOptionHotkeyGivesOneDownAndOneUpPerPress) {
    X11TestClient keyboard;
    ASSERT_TRUE(keyboard.isConnected());
    X11ModifierEventSource source;
    FakeAccessibilityTrust trust;
    LogCapture log;
    ModifierHotkeyManager manager(source, trust, QtScheduler::instance());
    manager.configure(61);
    QStringList reports;
    manager.onKeyDown = [&] { reports.append("down"); };
    manager.onKeyUp = [&] { reports.append("up"); };
    ASSERT_TRUE(manager.start());

    keyboard.press(xRightAlt);
    ASSERT_TRUE(waitUntil([&] { return reports.size() == 1; }));
    keyboard.release(xRightAlt);
    ASSERT_TRUE(waitUntil([&] { return reports.size() == 2; }));
    runEventLoopFor(100ms);
    EXPECT_EQ(reports, QStringList({"down", "up"}));
    EXPECT_TRUE(log.contains("[ModifierHotkey] CGEvent: key DOWN (keyCode=61)"));
    EXPECT_TRUE(log.contains("[ModifierHotkey] >>> TARGET KEY UP (keyCode=61)"));
    manager.stop();
}

}  // namespace
