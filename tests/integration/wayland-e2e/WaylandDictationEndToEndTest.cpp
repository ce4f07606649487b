#include "integration/wayland/SwaySession.h"

#include "app/SingleInstance.h"
#include "dictation/DictationCoordinator.h"
#include "platform/wayland/CommandHotkeyBackend.h"
#include "platform/wayland/DataControlPasteboard.h"
#include "platform/wayland/VirtualKeyboardAccessibilityTrust.h"
#include "platform/wayland/VirtualKeyboardKeystrokeSender.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/x11/X11ModifierEventSource.h"
#include "platform/x11/XdotoolScriptKeystroke.h"
#include "services/paste/ClipboardManager.h"
#include "support/EndToEndRig.h"
#include "support/PreviousWaylandClipboard.h"
#include "support/RequireEnvironment.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// "quillo --hotkey-press" or "--hotkey-release" in its own process, as a sway binding runs it.
bool runHotkeyCommand(const QString& runtimeDir, const char* option) {
    QProcessEnvironment environment = SwaySession::clientEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    const ChildProcess::Result quillo =
        ChildProcess::run(QStringLiteral(QUILLO_BINARY_DIR "/src/quillo"),
                          {QString::fromLatin1(option)}, environment);
    return quillo.finished && quillo.exitCode == 0;
}

class WaylandDictationEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ENVIRONMENT(RequireEnvironment::hasSway() && RequireEnvironment::hasSoundServer(),
                            "the headless sway and sound server of scripts/with-test-env.sh "
                            "scripts/with-sway.sh");
        rig.takeMicrophone();
        rig.settings.setPlaySoundOnComplete(false);
        ASSERT_TRUE(pasteboard.isAvailable());
        ASSERT_TRUE(keystrokes.isAvailable());
        ASSERT_TRUE(instance.listen());
        QObject::connect(&instance, &SingleInstance::hotkeyPressRequested, &hotkeys,
                         &CommandHotkeyBackend::press);
        QObject::connect(&instance, &SingleInstance::hotkeyReleaseRequested, &hotkeys,
                         &CommandHotkeyBackend::release);
        rig.parts.paster = &clipboard;
        rig.parts.trust = &accessibility;
        rig.parts.hotkeys = &hotkeys;
        rig.parts.modifiers = &modifiers;
        coordinator = rig.startCoordinator();
    }

    // Holds the hotkey for a second of test tone through the two commands.
    bool dictate() {
        return rig.holdWithTone(
            [&] { return runHotkeyCommand(runtime.path(), "--hotkey-press"); },
            [&] { return runHotkeyCommand(runtime.path(), "--hotkey-release"); });
    }

    EndToEndRig rig;
    WaylandConnection connection{SwaySession::socket()};
    DataControlPasteboard pasteboard{connection};
    VirtualKeyboardKeystrokeSender keystrokes{connection};
    VirtualKeyboardAccessibilityTrust accessibility{keystrokes};
    CommandHotkeyBackend hotkeys{rig.qtScheduler};
    X11ModifierEventSource modifiers;
    XdotoolScriptKeystroke script;
    ClipboardManager clipboard{pasteboard, keystrokes, script, accessibility, rig.qtScheduler};
    QTemporaryDir runtime;
    SingleInstance instance{runtime.filePath(QStringLiteral("quillo.socket"))};
    std::unique_ptr<DictationCoordinator> coordinator;
};

}  // namespace

// The whole road on sway: the hotkey handed over by "quillo --hotkey-press/--hotkey-release",
// the virtual microphone, the backend's text pasted through the virtual keyboard into a native
// Wayland text field of another process, and the previous clipboard back with all its formats.
TEST_F(WaylandDictationEndToEnd, TheBackendsTextArrivesInTheFieldAndTheClipboardComesBack) {
    rig.server.enqueue(ScriptedResponse::json(200, R"({"text":"hello from sway","words":3})"));
    rig.server.enqueue(ScriptedResponse::json(200, R"({"text":"Hello from sway."})"));
    ASSERT_TRUE(
        rig.log.contains("[HotkeyManager] Carbon hotkey registered (keyCode=49, modifiers=2048)"));
    ChildProcess field = SwaySession::textField();
    ASSERT_TRUE(field.waitForLine("focused"));
    PreviousWaylandClipboard previous{SwaySession::clientEnvironment()};
    ASSERT_TRUE(previous.isOwning());

    QObject::connect(&field.process(), &QProcess::readyReadStandardOutput,
                     [&] { rig.figures.markText(); });
    ASSERT_TRUE(dictate());
    ASSERT_TRUE(field.waitForLine("text Hello from sway. "))
        << field.lines().join('|').toStdString();
    rig.figures.print("sway", rig.server);
    ASSERT_EQ(rig.server.requests().size(), 2);

    EXPECT_TRUE(rig.log.contains("[ClipboardManager] Text pasted successfully"));
    EXPECT_TRUE(waitUntil([&] { return previous.isBack(); }, 5s));
    EXPECT_EQ(rig.server.requests()[1].path, "/api/format");
}

TEST_F(WaylandDictationEndToEnd, AServerErrorPastesNothingAndLeavesTheClipboardAlone) {
    rig.server.enqueue(ScriptedResponse::text(500, "Quota of the day used"));
    ChildProcess field = SwaySession::textField();
    ASSERT_TRUE(field.waitForLine("focused"));
    PreviousWaylandClipboard previous{SwaySession::clientEnvironment()};
    ASSERT_TRUE(previous.isOwning());

    ASSERT_TRUE(dictate());
    ASSERT_TRUE(waitUntil(
        [&] { return rig.overlay.calls.filter(QStringLiteral("error ")).size() == 1; }, 10s));
    runEventLoopFor(1s);
    EXPECT_FALSE(field.lines().join('|').contains("text "))
        << field.lines().join('|').toStdString();
    EXPECT_TRUE(previous.isBack());
}
