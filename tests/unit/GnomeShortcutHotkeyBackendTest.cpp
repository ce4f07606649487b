#include "models/RecordingStateMachine.h"
#include "platform/wayland/GnomeCustomShortcut.h"
#include "platform/wayland/GnomeSettings.h"
#include "platform/wayland/GnomeShortcutHotkeyBackend.h"
#include "services/hotkey/HotkeyManager.h"
#include "support/GnomeTestSettings.h"
#include "support/LogCapture.h"
#include "support/ManualScheduler.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using State = RecordingStateValue;

namespace {

constexpr quint32 space = 49, d = 2;
constexpr quint32 shift = 512, option = 2048, control = 4096;
const QString command = QStringLiteral("/usr/bin/quillo --hotkey-press");

class GnomeShortcutHotkeyBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(GnomeTestSettings::requireSchemas());
        GnomeTestSettings::resetAll({});
        backend = std::make_unique<GnomeShortcutHotkeyBackend>(scheduler, command);
        manager = std::make_unique<HotkeyManager>(stateMachine, *backend, scheduler);
        manager->onStartRecording = [this] { ++starts; };
        manager->onStopRecording = [this] { ++stops; };
    }
    void TearDown() override {
        manager.reset();
        backend.reset();
        GnomeTestSettings::resetAll({});
    }

    static void freeAltSpace() {
        GnomeSettings wm{QStringLiteral("org.gnome.desktop.wm.keybindings")};
        ASSERT_TRUE(wm.setStringList(QStringLiteral("activate-window-menu"), {}));
    }

    LogCapture log;
    ManualScheduler scheduler;
    RecordingStateMachine stateMachine;
    std::unique_ptr<GnomeShortcutHotkeyBackend> backend;
    std::unique_ptr<HotkeyManager> manager;
    int starts = 0;
    int stops = 0;
};

TEST_F(GnomeShortcutHotkeyBackendTest, KeysGnomeHoldsAreRefusedBeforeAnythingIsWritten) {
    EXPECT_FALSE(manager->start(space, option));

    EXPECT_TRUE(log.contains(QStringLiteral("[HotkeyManager] RegisterEventHotKey failed: -9878")));
    EXPECT_FALSE(log.lines().join('\n').contains(QLatin1String("Carbon hotkey registered")));
    ASSERT_TRUE(backend->conflict());
    EXPECT_EQ(backend->conflict()->action, QStringLiteral("activate-window-menu"));
    // What GNOME's keyboard settings show for it, from the schema.
    EXPECT_EQ(backend->conflict()->description, QStringLiteral("Activate the window menu"));
    EXPECT_TRUE(GnomeCustomShortcut::writtenBinding().isEmpty());

    // The user frees the keys in GNOME and sets the hotkey again.
    freeAltSpace();
    EXPECT_TRUE(manager->start(space, option));
    EXPECT_FALSE(backend->conflict());
    EXPECT_EQ(GnomeCustomShortcut::writtenBinding(), QStringLiteral("<Alt>space"));
}

TEST_F(GnomeShortcutHotkeyBackendTest, FreeingOnRequestTakesOnlyThoseKeysFromGnomesOwnBinding) {
    GnomeSettings wm{QStringLiteral("org.gnome.desktop.wm.keybindings")};
    const QString menu = QStringLiteral("activate-window-menu");
    ASSERT_TRUE(
        wm.setStringList(menu, {QStringLiteral("<Super>F10"), QStringLiteral("<Alt>Space")}));
    QSignalSpy conflictChanges(backend.get(), &GnomeShortcutHotkeyBackend::conflictChanged);

    EXPECT_FALSE(manager->start(space, option));
    EXPECT_EQ(conflictChanges.count(), 1);
    ASSERT_TRUE(backend->freeConflictingKeys());
    // Any spelling of the keys goes; the action keeps its other keys.
    EXPECT_EQ(wm.strings(menu), QStringList{QStringLiteral("<Super>F10")});
    EXPECT_TRUE(log.contains(
        QStringLiteral("[Quillo] Freed <Alt>space from GNOME's \"activate-window-menu\" "
                       "(org.gnome.desktop.wm.keybindings), as asked in the settings")));

    EXPECT_TRUE(manager->start(space, option));
    EXPECT_EQ(conflictChanges.count(), 2);
    EXPECT_FALSE(backend->conflict());
    EXPECT_EQ(GnomeCustomShortcut::writtenBinding(), QStringLiteral("<Alt>space"));
    EXPECT_FALSE(backend->freeConflictingKeys()) << "nothing left to free";
}

TEST_F(GnomeShortcutHotkeyBackendTest, AnotherProgramsCustomShortcutIsNeverFreed) {
    const QString other = GnomeTestSettings::customPath(QStringLiteral("custom0"));
    GnomeTestSettings::addCustomEntry(QStringLiteral("custom0"),
                                      QStringLiteral("<Control><Shift>d"),
                                      QStringLiteral("other-app --toggle"));

    EXPECT_FALSE(manager->start(d, control | shift));
    ASSERT_TRUE(backend->conflict());
    EXPECT_FALSE(backend->freeConflictingKeys());
    GnomeSettings entry{QLatin1String(GnomeCustomShortcut::entrySchema), other};
    EXPECT_EQ(entry.string(QStringLiteral("binding")), QStringLiteral("<Control><Shift>d"));
    GnomeTestSettings::resetAll({QStringLiteral("custom0")});
}

TEST_F(GnomeShortcutHotkeyBackendTest, TheEntryFollowsTheHotkeyAndGoesWithTheRegistration) {
    ASSERT_TRUE(manager->start(d, control | shift));
    EXPECT_TRUE(log.contains(
        QStringLiteral("[HotkeyManager] Carbon hotkey registered (keyCode=2, modifiers=4608)")));
    EXPECT_EQ(GnomeCustomShortcut::writtenBinding(), QStringLiteral("<Control><Shift>d"));
    GnomeSettings entry{QLatin1String(GnomeCustomShortcut::entrySchema),
                        GnomeCustomShortcut::entryPath()};
    EXPECT_EQ(entry.string(QStringLiteral("command")), command);

    freeAltSpace();
    ASSERT_TRUE(manager->start(space, option));
    EXPECT_EQ(GnomeCustomShortcut::writtenBinding(), QStringLiteral("<Alt>space"));

    // Taken keys leave no entry behind for the old ones either.
    ASSERT_TRUE(GnomeSettings{QStringLiteral("org.gnome.shell.keybindings")}.setStringList(
        QStringLiteral("toggle-overview"), {QStringLiteral("<Control><Shift>d")}));
    EXPECT_FALSE(manager->start(d, control | shift));
    EXPECT_TRUE(GnomeCustomShortcut::writtenBinding().isEmpty());

    ASSERT_TRUE(manager->start(space, option));
    manager->stop();
    EXPECT_TRUE(GnomeCustomShortcut::writtenBinding().isEmpty()) << "removed when the route goes";
}

TEST_F(GnomeShortcutHotkeyBackendTest, TriggersBecomeTheGesturesOfTheRegisteredHotkey) {
    freeAltSpace();
    ASSERT_TRUE(manager->start(space, option));

    backend->trigger();
    for (auto at = 500ms; at <= 1200ms; at += 30ms) {
        scheduler.advance(at == 500ms ? 500ms : 30ms);
        backend->trigger();
    }
    scheduler.advance(200ms);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(stateMachine.state(), State::processing);

    manager->stop();
    backend->trigger();
    scheduler.advance(1s);
    EXPECT_EQ(stops, 1) << "no registration, no gesture";
}

TEST_F(GnomeShortcutHotkeyBackendTest, GnomesRepeatSettingsAreReadAndFollowed) {
    EXPECT_TRUE(backend->holdWorks());
    EXPECT_EQ(backend->holdRecognisedAfter(), 500ms + 30ms + 150ms + 20ms);
    QSignalSpy holdWorks(backend.get(), &GnomeShortcutHotkeyBackend::holdWorksChanged);

    GnomeSettings keyboard{QLatin1String(GnomeShortcutHotkeyBackend::keyboardSchema)};
    ASSERT_TRUE(keyboard.setUnsignedInt(QStringLiteral("delay"), 250));
    ASSERT_TRUE(keyboard.setUnsignedInt(QStringLiteral("repeat-interval"), 50));
    QCoreApplication::processEvents();  // GIO tells of changes on the main loop
    EXPECT_EQ(backend->holdRecognisedAfter(), 250ms + 50ms + 150ms + 20ms);
    EXPECT_TRUE(log.contains(QStringLiteral(
        "[Quillo] GNOME key repeat: delay 250 ms, interval 50 ms; a hold ends when the repeats "
        "stop")));

    ASSERT_TRUE(keyboard.setBoolean(QStringLiteral("repeat"), false));
    QCoreApplication::processEvents();
    EXPECT_FALSE(backend->holdWorks());
    ASSERT_EQ(holdWorks.count(), 1);
    EXPECT_FALSE(holdWorks.at(0).at(0).toBool());
    EXPECT_TRUE(log.lines().join('\n').contains(QLatin1String("key repeat is off")));
}

}  // namespace
