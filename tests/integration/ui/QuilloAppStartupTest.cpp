#include "app/QuilloApp.h"
#include "models/AppSettings.h"
#include "models/AppState.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LogCapture.h"
#include "views/tray/TrayIcon.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>

#include <gtest/gtest.h>

TEST(QuilloAppStartup, TaskbarPresenceIsOnUnlessStoredAsFalse) {
    InMemoryDefaultsStore store;
    EXPECT_TRUE(QuilloApp::showsInTaskbarAtLaunch(store)) << "fresh installation";
    store.setBoolean("show_in_dock", true);
    EXPECT_TRUE(QuilloApp::showsInTaskbarAtLaunch(store));
    store.setBoolean("show_in_dock", false);
    EXPECT_FALSE(QuilloApp::showsInTaskbarAtLaunch(store));
}

TEST(QuilloAppStartup, TrayIconFollowsTheDictationStateAndWithoutATrayQuilloRunsOn) {
    InMemoryDefaultsStore store;
    AppSettings settings(store);
    AppState state(settings);
    QMenu menu;
    LogCapture log;
    TrayIcon tray(state, &menu);
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        EXPECT_TRUE(log.contains(
            "[Quillo] No system tray available; the hotkey still works without the tray icon"));
    }
    ASSERT_NE(tray.trayIcon(), nullptr);
    auto picture = [&](RecordingStateValue value) {
        state.setRecordingState(value);
        return tray.trayIcon()->icon().pixmap(22).toImage();
    };
    const QImage idle = picture(RecordingStateValue::idle);
    const QImage recording = picture(RecordingStateValue::holdRecording);
    EXPECT_FALSE(idle.isNull());
    EXPECT_NE(idle, recording);
    EXPECT_NE(recording, picture(RecordingStateValue::processing));
    EXPECT_EQ(picture(RecordingStateValue::handsfreeRecording), recording);
    EXPECT_EQ(picture(RecordingStateValue::pendingIntent), idle) << "no recording until it starts";
    EXPECT_EQ(tray.trayIcon()->contextMenu(), &menu);
}
