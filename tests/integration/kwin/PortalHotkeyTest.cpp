#include "app/SessionPlatform.h"
#include "base/QtScheduler.h"
#include "models/RecordingStateMachine.h"
#include "platform/ModifierEventSource.h"
#include "platform/wayland/PortalGlobalShortcutsBackend.h"
#include "services/hotkey/HotkeyManager.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/KWinTestSession.h"
#include "support/LogCapture.h"
#include "support/X11TestClient.h"
#include "support/RequireEnvironment.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <cstdio>

using namespace std::chrono_literals;

namespace {

constexpr int evdevLeftAlt = 56;
constexpr int evdevSpace = 57;
constexpr int evdevLeftControl = 29;
constexpr int evdevD = 32;
constexpr quint32 space = 49;
constexpr quint32 option = 2048;
constexpr quint32 control = 4096;

QString fakeInputTool() {
    return QStringLiteral(QUILLO_BINARY_DIR "/tests/kwin-fake-input");
}

class PortalHotkeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ENVIRONMENT(KWinTestSession::isRunning(), "headless KWin (scripts/with-kwin.sh)");
        ASSERT_TRUE(PortalGlobalShortcutsBackend::isAvailable()) << "no GlobalShortcuts portal";
        ASSERT_TRUE(keyboard.isReady())
            << "KWin refused fake input to " << fakeInputTool().toStdString();
        handler = backend.installHandler([this](const HotkeyEvent& event) {
            if (event.id != id)
                return false;
            switch (event.kind) {
                case HotkeyEventKind::pressed:
                    ++presses;
                    pressedAt = clock.nsecsElapsed();
                    break;
                case HotkeyEventKind::released:
                    ++releases;
                    releasedAt = clock.nsecsElapsed();
                    break;
                case HotkeyEventKind::confirmed:
                    ++confirmations;
                    break;
                case HotkeyEventKind::refused:
                    refusal = event.status;
                    break;
            }
            return true;
        });
        ASSERT_TRUE(handler.succeeded());
        clock.start();
    }

    // Registers and waits for the portal's answer.
    GlobalHotkeyBackend::Outcome registerAndConfirm(quint32 keyCode, quint32 modifiers) {
        const int before = confirmations;
        auto outcome = backend.registerHotkey(keyCode, modifiers, id);
        EXPECT_TRUE(outcome.succeeded()) << outcome.status;
        EXPECT_TRUE(outcome.awaitingConfirmation);
        EXPECT_TRUE(waitUntil([&] { return confirmations > before || refusal != 0; },
                              KWinTestSession::portalStart));
        return outcome;
    }

    FakeInputKeyboard keyboard{fakeInputTool()};
    PortalGlobalShortcutsBackend backend;
    GlobalHotkeyBackend::Outcome handler;
    const HotkeyId id{fourCharCode("QUIL"), 1};
    QElapsedTimer clock;
    int presses = 0;
    int releases = 0;
    int confirmations = 0;
    int refusal = 0;
    qint64 pressedAt = 0;
    qint64 releasedAt = 0;
};

TEST_F(PortalHotkeyTest, HeldHotkeyGivesExactlyOnePressAndOneRelease) {
    const auto registration = registerAndConfirm(space, option);
    ASSERT_EQ(confirmations, 1);
    EXPECT_FALSE(backend.triggerDescription().isEmpty());

    ASSERT_TRUE(keyboard.press(evdevLeftAlt));
    ASSERT_TRUE(keyboard.press(evdevSpace));
    const qint64 keyDownAt = clock.nsecsElapsed();
    ASSERT_TRUE(waitUntil([&] { return presses == 1; }));
    const qint64 pressLatency = pressedAt - keyDownAt;
    EXPECT_EQ(backend.heldModifiers(), option);
    // Held past the portal's repeat delay (about 600 ms): its repeated Activated are dropped.
    runEventLoopFor(1500ms);
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(releases, 0);

    ASSERT_TRUE(keyboard.release(evdevSpace));
    const qint64 keyUpAt = clock.nsecsElapsed();
    ASSERT_TRUE(keyboard.release(evdevLeftAlt));
    ASSERT_TRUE(waitUntil([&] { return releases == 1; }));
    const qint64 releaseLatency = releasedAt - keyUpAt;
    runEventLoopFor(300ms);
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(releases, 1);
    EXPECT_EQ(backend.heldModifiers(), 0u);
    std::printf("[latency] key down -> Activated %.2f ms, key up -> Deactivated %.2f ms\n",
                double(pressLatency) / 1e6, double(releaseLatency) / 1e6);

    // Space alone is not the combination.
    ASSERT_TRUE(keyboard.press(evdevSpace));
    ASSERT_TRUE(keyboard.release(evdevSpace));
    runEventLoopFor(200ms);
    EXPECT_EQ(presses, 1);
}

TEST_F(PortalHotkeyTest, ManagerWritesTheRegisteredLineOnlyOnceThePortalConfirmed) {
    // The manager's own handler is to see the portal's answer.
    handler.registration.reset();
    LogCapture log;
    RecordingStateMachine stateMachine;
    QtScheduler scheduler;
    HotkeyManager manager(stateMachine, backend, scheduler);
    ASSERT_TRUE(manager.start(2, control));
    // The portal has not answered yet: no line.
    EXPECT_TRUE(log.lines().isEmpty());
    ASSERT_TRUE(waitUntil([&] { return !log.lines().isEmpty(); }, KWinTestSession::portalStart));
    EXPECT_EQ(log.lines(),
              QStringList{"[HotkeyManager] Carbon hotkey registered (keyCode=2, modifiers=4096)"});

    ASSERT_TRUE(keyboard.typeChord(evdevLeftControl, evdevD));
    EXPECT_TRUE(waitUntil(
        [&] { return log.contains("[HotkeyManager] Option+Space UP (state: pendingIntent)"); }));
    manager.stop();
}

TEST_F(PortalHotkeyTest, ReleasedRegistrationNoLongerFires) {
    {
        const auto registration = registerAndConfirm(space, option);
        ASSERT_EQ(confirmations, 1);
    }
    runEventLoopFor(300ms);
    ASSERT_TRUE(keyboard.typeChord(evdevLeftAlt, evdevSpace));
    runEventLoopFor(300ms);
    EXPECT_EQ(presses, 0);
}

TEST_F(PortalHotkeyTest, ANewHotkeyReplacesTheOldTriggerInTheSameSession) {
    {
        const auto first = registerAndConfirm(space, option);
        ASSERT_EQ(confirmations, 1);
    }
    const auto second = registerAndConfirm(2, control);
    ASSERT_EQ(confirmations, 2);
    std::printf("second trigger: '%s'\n", qPrintable(backend.triggerDescription()));

    ASSERT_TRUE(keyboard.typeChord(evdevLeftControl, evdevD));
    EXPECT_TRUE(waitUntil([&] { return releases == 1; }));
    ASSERT_TRUE(keyboard.typeChord(evdevLeftAlt, evdevSpace));
    runEventLoopFor(300ms);
    EXPECT_EQ(presses, 1);
}

}  // namespace

// A portal that dies (a crash, an update) takes its sessions along: a hotkey held at that
// moment is released, and the binding comes back without the user doing anything.
TEST_F(PortalHotkeyTest, AHotkeyHeldWhenThePortalDiesIsReleasedAndBoundAgain) {
    const auto registration = registerAndConfirm(space, option);
    ASSERT_EQ(confirmations, 1);
    ASSERT_TRUE(keyboard.press(evdevLeftAlt));
    ASSERT_TRUE(keyboard.press(evdevSpace));
    ASSERT_TRUE(waitUntil([&] { return presses == 1; }));

    ASSERT_TRUE(KWinTestSession::killPortal());
    EXPECT_TRUE(waitUntil([&] { return releases == 1; })) << "no recording waits forever";
    ASSERT_TRUE(keyboard.release(evdevSpace));
    ASSERT_TRUE(keyboard.release(evdevLeftAlt));

    // Bound again once the portal is back; pressing proves it.
    EXPECT_TRUE(waitUntil(
        [&] {
            if (!keyboard.press(evdevLeftAlt) || !keyboard.press(evdevSpace))
                return false;
            runEventLoopFor(200ms);
            keyboard.release(evdevSpace);
            keyboard.release(evdevLeftAlt);
            return presses == 2;
        },
        KWinTestSession::portalStart));
    EXPECT_EQ(confirmations, 1) << "confirmed once: the registered line is not written again";
    EXPECT_EQ(refusal, 0);
}

namespace {

// In a Plasma session the portals carry the hotkey and the paste chord, and a lone modifier is
// refused up front: KWin shows Quillo no key pressed over another window.
TEST(KdeSessionPlatform, ThePortalsServeTheHotkeyAndALoneModifierIsRefused) {
    REQUIRE_ENVIRONMENT(KWinTestSession::isRunning(), "headless KWin (scripts/with-kwin.sh)");
    QtScheduler scheduler;
    InMemoryDefaultsStore store;
    SessionPlatform platform(SessionEnvironment::current(), scheduler, store);
    EXPECT_EQ(platform.kind(), SessionKind::kde);
    EXPECT_NE(platform.portalHotkeys(), nullptr);
    EXPECT_FALSE(platform.hotkeyBackend().canBindLoneModifiers());
    EXPECT_FALSE(platform.modifierEvents().canReport(61));
    EXPECT_TRUE(platform.limitationIds().contains(QStringLiteral("session.limit.lone_modifier")));
    EXPECT_EQ(platform.textTyper(), nullptr) << "KWin offers data control: pasted, not typed";
}

}  // namespace
