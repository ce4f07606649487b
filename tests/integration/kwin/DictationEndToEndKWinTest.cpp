#include "dictation/DictationCoordinator.h"
#include "platform/wayland/DataControlPasteboard.h"
#include "platform/wayland/PortalGlobalShortcutsBackend.h"
#include "platform/wayland/PortalRemoteDesktopKeystrokeSender.h"
#include "platform/wayland/WaylandConnection.h"
#include "services/paste/ClipboardManager.h"
#include "support/ChildProcess.h"
#include "support/EndToEndRig.h"
#include "support/FakeScriptKeystroke.h"
#include "support/KWinTestSession.h"
#include "support/PreviousWaylandClipboard.h"
#include "support/RequireEnvironment.h"
#include "support/X11TestClient.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr int evdevLeftAlt = 56;
constexpr int evdevSpace = 57;
const QString caption = QStringLiteral("Quillo dictation target");

}  // namespace

// The whole road of one dictation in a KDE Plasma session: Alt+Space bound through the
// GlobalShortcuts portal and held at the compositor, the sound server's virtual microphone,
// a loopback backend, and the paste chord through the RemoteDesktop portal into a native
// Wayland text field of another process, with the clipboard saved and given back through the
// data-control protocol.
TEST(DictationEndToEndKWin, HoldingTheHotkeyPastesTheBackendsTextIntoAWaylandField) {
    REQUIRE_ENVIRONMENT(KWinTestSession::isRunning() && RequireEnvironment::hasSoundServer(),
                        "headless KWin inside the sound server's test environment "
                        "(scripts/with-test-env.sh scripts/with-kwin.sh ...)");
    EndToEndRig rig;
    rig.takeMicrophone();
    rig.server.enqueue(
        ScriptedResponse::json(200, R"({"text":"hello from the microphone","words":4})"));
    rig.server.enqueue(ScriptedResponse::json(200, R"({"text":"Hello from Wayland."})"));
    rig.settings.setPlaySoundOnComplete(false);

    PortalGlobalShortcutsBackend hotkeys;
    WaylandConnection connection;
    DataControlPasteboard pasteboard(connection);
    ASSERT_TRUE(pasteboard.isAvailable()) << "KWin offers no data-control protocol";
    PortalRemoteDesktopKeystrokeSender keystrokes(rig.store,
                                                  [&hotkeys] { return hotkeys.heldModifiers(); });
    FakeScriptKeystroke script;
    ClipboardManager clipboard(pasteboard, keystrokes, script, rig.trust, rig.qtScheduler);
    rig.parts.paster = &clipboard;
    rig.parts.hotkeys = &hotkeys;
    const auto coordinator = rig.startCoordinator();
    ASSERT_TRUE(waitUntil(
        [&] {
            return rig.log.contains(
                "[HotkeyManager] Carbon hotkey registered (keyCode=49, modifiers=2048)");
        },
        KWinTestSession::portalStart));
    ASSERT_TRUE(waitUntil([&] { return keystrokes.isReady(); }, KWinTestSession::portalStart));

    ChildProcess target(QStringLiteral(QUILLO_BINARY_DIR "/tests/wayland_text_field_child"),
                        {caption});
    ASSERT_TRUE(target.waitForLine(QStringLiteral("shown"), 5s));
    ASSERT_TRUE(KWinTestSession::activateWindow(caption));
    QObject::connect(&target.process(), &QProcess::readyReadStandardOutput,
                     [&] { rig.figures.markText(); });
    ASSERT_TRUE(target.waitForLine(QStringLiteral("focused")));
    PreviousWaylandClipboard previous;
    ASSERT_TRUE(previous.isOwning());

    FakeInputKeyboard keyboard(QStringLiteral(QUILLO_BINARY_DIR "/tests/kwin-fake-input"));
    ASSERT_TRUE(keyboard.isReady());
    ASSERT_TRUE(rig.holdWithTone(
        [&] { return keyboard.press(evdevLeftAlt) && keyboard.press(evdevSpace); },
        [&] { return keyboard.release(evdevSpace) && keyboard.release(evdevLeftAlt); }));
    EXPECT_TRUE(target.waitForLine(QStringLiteral("text Hello from Wayland. ")))
        << target.lines().join('|').toStdString();
    rig.figures.print("KWin", rig.server);
    EXPECT_TRUE(waitUntil(
        [&] { return coordinator->stateMachine().state() == RecordingStateValue::idle; }));
    ASSERT_EQ(rig.server.requests().size(), 2);
    EXPECT_TRUE(rig.log.contains("[HotkeyManager] Option+Space DOWN (state: idle)"));
    EXPECT_EQ(rig.log.lines().filter("Option+Space DOWN").size(), 1);
    EXPECT_EQ(rig.log.lines().filter("Option+Space UP").size(), 1);
    EXPECT_TRUE(rig.log.contains("[ClipboardManager] Text pasted successfully"));
    EXPECT_TRUE(waitUntil([&] { return previous.isBack(); }, 5s));
}
