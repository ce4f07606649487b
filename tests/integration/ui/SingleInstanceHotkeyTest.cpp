#include "app/SingleInstance.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(SingleInstanceHotkey, PressAndReleaseReachTheRunningInstanceInOrder) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quillo.socket"));
    SingleInstance running(path);
    ASSERT_TRUE(running.listen());
    QSignalSpy pressed(&running, &SingleInstance::hotkeyPressRequested);
    QSignalSpy released(&running, &SingleInstance::hotkeyReleaseRequested);
    QSignalSpy activated(&running, &SingleInstance::activationRequested);

    ASSERT_TRUE(SingleInstance::sendHotkeyEvent(path, true));
    ASSERT_TRUE(pressed.wait(2000));
    ASSERT_TRUE(SingleInstance::sendHotkeyEvent(path, false));
    ASSERT_TRUE(released.wait(2000));
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_EQ(released.count(), 1);
    EXPECT_EQ(activated.count(), 0) << "a hotkey event opens no window";
}

TEST(SingleInstanceHotkey, WithoutARunningInstanceTheCommandFailsAtOnce) {
    QTemporaryDir dir;
    EXPECT_FALSE(
        SingleInstance::sendHotkeyEvent(dir.filePath(QStringLiteral("nobody.socket")), true));
    const QString tooLong = QStringLiteral("/tmp/") + QString(200, QLatin1Char('x'));
    EXPECT_FALSE(SingleInstance::sendHotkeyEvent(tooLong, true))
        << "longer than a socket address holds";
}
