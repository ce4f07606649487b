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
    const QImage idle = tray.trayIcon()->icon().pixmap(22).toImage();
    state.setRecordingState(RecordingStateValue::holdRecording);
    const QImage recording = tray.trayIcon()->icon().pixmap(22).toImage();
    state.setRecordingState(RecordingStateValue::processing);
    const QImage processing = tray.trayIcon()->icon().pixmap(22).toImage();
    EXPECT_FALSE(idle.isNull());
    EXPECT_NE(idle, recording);
    EXPECT_NE(recording, processing);
    EXPECT_EQ(tray.trayIcon()->contextMenu(), &menu);
}
