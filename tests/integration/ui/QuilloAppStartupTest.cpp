#include "app/QuilloApp.h"
#include "app/SingleInstance.h"
#include "models/AppSettings.h"
#include "models/AppState.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LogCapture.h"
#include "views/tray/TrayIcon.h"

#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
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

TEST(QuilloAppStartup, ASecondInstanceHandsOverToTheRunningOne) {
    QTemporaryDir dir;
    const QString socket = dir.filePath("quillo.socket");
    SingleInstance running(socket);
    SingleInstance second(socket);
    EXPECT_FALSE(running.handOverToRunningInstance()) << "nobody runs yet";
    ASSERT_TRUE(running.listen());
    QSignalSpy activated(&running, &SingleInstance::activationRequested);

    EXPECT_TRUE(second.handOverToRunningInstance());
    EXPECT_TRUE(activated.wait(3000));
    EXPECT_EQ(activated.size(), 1);

    // A third start never takes the running instance's place (a killed instance's leftovers
    // are tested with real processes in SingleInstanceTest).
    SingleInstance third(socket);
    EXPECT_FALSE(third.listen());
    EXPECT_EQ(third.claim(), SingleInstance::Claim::handedOver);
    EXPECT_TRUE(activated.wait(3000));
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
