#include "app/SessionPlatform.h"
#include "app/SingleInstance.h"
#include "dictation/DictationCoordinator.h"
#include "platform/KeyCodes.h"
#include "platform/wayland/GnomeCustomShortcut.h"
#include "platform/wayland/GnomeShortcutHotkeyBackend.h"
#include "platform/wayland/PortalGlobalShortcutsBackend.h"
#include "platform/wayland/PortalRemoteDesktopKeystrokeSender.h"
#include "platform/x11/X11Pasteboard.h"
#include "services/paste/ClipboardManager.h"
#include "services/hotkey/KeyRepeatGesture.h"
#include "support/ChildProcess.h"
#include "support/EndToEndRig.h"
#include "support/EventLoop.h"
#include "support/FakeScriptKeystroke.h"
#include "support/GnomeTestSession.h"
#include "support/MicPipeFeeder.h"
#include "support/MutterRemoteKeyboard.h"
#include "support/RequireEnvironment.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <xkbcommon/xkbcommon.h>

using namespace std::chrono_literals;
using Key = MutterRemoteKeyboard;

namespace {

constexpr quint32 spaceKeyCode = 49;
const QString customList = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys");

QString quilloEntry() {
    return QLatin1String(GnomeCustomShortcut::entrySchema) + QLatin1Char(':') +
           GnomeCustomShortcut::entryPath();
}

// Quillo in GNOME Shell as it starts there: the session's parts chosen by SessionPlatform from
// the session's own environment, its single-instance socket taking the presses that GNOME's
// custom shortcut sends, the real recorder on the sound server's microphone and the loopback
// backend. The text goes to the rig's paster: how it reaches a Wayland field is not this test's.
class GnomeHotkeyEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ENVIRONMENT(RequireEnvironment::hasGnomeShell() && GnomeTestSession::isRunning() &&
                                RequireEnvironment::hasSoundServer(),
                            "headless GNOME Shell inside the sound server's test environment "
                            "(scripts/with-test-env.sh scripts/with-gnome.sh ...)");
        rig.takeMicrophone();
        rig.settings.setPlaySoundOnComplete(false);
        ASSERT_TRUE(instance.listen());
        clock.start();
        QObject::connect(&instance, &SingleInstance::hotkeyPressRequested,
                         [this] { runsAt << clock.elapsed(); });
    }

    // When the shortcut's command reached Quillo, for a failure's message.
    std::string runs() const {
        QStringList times;
        for (qint64 at : runsAt)
            times << QString::number(at);
        return "runs at (ms): " + times.join(' ').toStdString();
    }

    // Control+Space, which GNOME leaves free.
    void storeControlSpace() {
        rig.settings.setHotkeyKeyCode(spaceKeyCode);
        rig.settings.setHotkeyModifiers(KeyCodes::controlMask);
    }

    // Chooses the session's parts and starts the dictation on them, as Quillo's start-up does.
    void startQuillo() {
        platform = std::make_unique<SessionPlatform>(SessionEnvironment::current(), rig.qtScheduler,
                                                     rig.store);
        ASSERT_EQ(platform->kind(), SessionKind::gnome);
        ASSERT_NE(platform->gnomeShortcutHotkeys(), nullptr)
            << platform->limitationLogLines().join('\n').toStdString();
        QObject::connect(&instance, &SingleInstance::hotkeyPressRequested,
                         platform->gnomeShortcutHotkeys(), &GnomeShortcutHotkeyBackend::trigger);
        rig.parts.hotkeys = &platform->hotkeyBackend();
        rig.parts.modifiers = &platform->modifierEvents();
        if (pasteForReal) {
            // The session's own paste, as Quillo's start-up wires it.
            paste = std::make_unique<ClipboardManager>(platform->pasteboard(),
                                                       platform->keystrokes(), script,
                                                       platform->accessibility(), rig.qtScheduler);
            if (platform->pastesThroughClipboardBridge())
                paste->pasteThroughClipboardBridge();
            rig.parts.paster = paste.get();
        }
        grabs = GnomeTestSession::markLog(QStringLiteral("gsd-media-keys.log"));
        coordinator = rig.startCoordinator();
    }

    // Started, registered and grabbed by the shell.
    void startQuilloWithControlSpace() {
        storeControlSpace();
        ASSERT_NO_FATAL_FAILURE(startQuillo());
        ASSERT_TRUE(rig.log.contains(
            "[HotkeyManager] Carbon hotkey registered (keyCode=49, modifiers=4096)"))
            << rig.log.lines().join('\n').toStdString();
        ASSERT_EQ(GnomeTestSession::waitForCustomGrab(grabs, GnomeCustomShortcut::entryPath()),
                  GnomeTestSession::Grab::grabbed);
    }

    int logged(const char* text) const { return rig.log.lines().filter(text).size(); }

    EndToEndRig rig;
    SingleInstance instance{SingleInstance::defaultSocketPath()};
    QSignalSpy presses{&instance, &SingleInstance::hotkeyPressRequested};
    QElapsedTimer clock;
    QList<qint64> runsAt;
    bool pasteForReal = false;
    FakeScriptKeystroke script;
    std::unique_ptr<SessionPlatform> platform;
    std::unique_ptr<ClipboardManager> paste;
    GnomeTestSession::LogMark grabs;
    std::unique_ptr<DictationCoordinator> coordinator;
};

}  // namespace

// What Quillo writes is what GNOME's own tools read back, GNOME grabs it, its command finds the
// running Quillo, and it is gone again when Quillo lets the hotkey go.
TEST_F(GnomeHotkeyEndToEnd, TheStoredHotkeyBecomesQuillosCustomShortcutThatReachesQuillo) {
    ASSERT_NO_FATAL_FAILURE(startQuilloWithControlSpace());
    EXPECT_TRUE(GnomeTestSession::gsettingsGet({customList, QStringLiteral("custom-keybindings")})
                    .contains(GnomeCustomShortcut::entryPath()));
    EXPECT_EQ(GnomeTestSession::gsettingsGet({quilloEntry(), QStringLiteral("name")}), "'Quillo'");
    EXPECT_EQ(GnomeTestSession::gsettingsGet({quilloEntry(), QStringLiteral("binding")}),
              "'<Control>space'");
    // The small sender beside the program, handed this session's socket.
    const QString sender = QCoreApplication::applicationDirPath() + "/quillo-hotkey-press";
    ASSERT_TRUE(QFileInfo(sender).isExecutable()) << sender.toStdString();
    const QString command =
        GnomeTestSession::gsettingsGet({quilloEntry(), QStringLiteral("command")});
    EXPECT_TRUE(command.contains(sender) && command.contains(SingleInstance::defaultSocketPath()))
        << command.toStdString();

    MutterRemoteKeyboard keyboard;
    ASSERT_TRUE(keyboard.isReady()) << keyboard.error().toStdString();
    ASSERT_TRUE(keyboard.tap(Key::leftControl, Key::space));
    ASSERT_TRUE(waitUntil([&] { return logged("Option+Space UP") == 1; }, 3s))
        << rig.log.lines().join('\n').toStdString();
    EXPECT_EQ(presses.count(), 1) << "a tap is one run of the command";
    EXPECT_EQ(logged("Option+Space DOWN"), 1);
    EXPECT_FALSE(rig.audioRecorder.isRecording()) << "a single tap records nothing";

    coordinator.reset();
    EXPECT_FALSE(GnomeTestSession::gsettingsGet({customList, QStringLiteral("custom-keybindings")})
                     .contains(GnomeCustomShortcut::entryPath()));
    EXPECT_TRUE(GnomeTestSession::dconfDump(GnomeCustomShortcut::entryPath()).trimmed().isEmpty());
}

// GNOME's default repeat runs the command some thirty times a second while the keys are held:
// still one press, one recording, and its end when the repeats stop, not before.
TEST_F(GnomeHotkeyEndToEnd, AHoldWithGnomesKeyRepeatIsOneRecordingStoppedAfterTheRelease) {
    ASSERT_NO_FATAL_FAILURE(startQuilloWithControlSpace());
    ASSERT_EQ(
        GnomeTestSession::gsettingsGet(
            {QStringLiteral("org.gnome.desktop.peripherals.keyboard"), QStringLiteral("repeat")}),
        "true");
    rig.server.enqueue(ScriptedResponse::json(200, R"({"text":"hello from gnome","words":3})"));
    rig.server.enqueue(ScriptedResponse::json(200, R"({"text":"Hello from GNOME."})"));
    MutterRemoteKeyboard keyboard;
    ASSERT_TRUE(keyboard.isReady()) << keyboard.error().toStdString();

    // Held some 400 ms past the start of the recording: a dozen repeats.
    MicPipeFeeder tone(MicPipeFeeder::pipePath(), 440.0, 0.5);
    ASSERT_TRUE(tone.isOpen());
    ASSERT_TRUE(keyboard.press(Key::leftControl) && keyboard.press(Key::space));
    ASSERT_TRUE(waitUntil([&] { return rig.audioRecorder.isRecording(); }, 3s))
        << runs() << "\n"
        << rig.log.lines().join('\n').toStdString();
    runEventLoopFor(400ms);
    const bool recordingAtRelease = rig.audioRecorder.isRecording();
    const int pressesAtRelease = presses.count();
    const qint64 releasedAt = clock.elapsed();
    ASSERT_TRUE(keyboard.release(Key::space) && keyboard.release(Key::leftControl));
    ASSERT_TRUE(waitUntil([&] { return !rig.audioRecorder.isRecording(); }, 3s))
        << runs() << "\n"
        << rig.log.lines().join('\n').toStdString();
    // The release is when the repeats pause for longer than the gesture waits. A processor busy
    // elsewhere can hold one run back that long while the keys are down, which ends the hold
    // there (GnomeHotkeyTiming counts how often); without such a pause the recording lasts
    // until the release.
    const KeyRepeatGesture::Repeat repeat;
    const qint64 firstRepeatWait =
        (repeat.delay + repeat.interval + KeyRepeatGesture::kFirstRepeatMargin).count();
    const qint64 repeatWait = (repeat.interval * 3 / 2 + KeyRepeatGesture::kMargin).count();
    bool paused = releasedAt - runsAt.value(pressesAtRelease - 1) > repeatWait;
    for (int i = 1; i < pressesAtRelease && i < runsAt.size(); ++i)
        paused |= runsAt[i] - runsAt[i - 1] > (i == 1 ? firstRepeatWait : repeatWait);
    if (!paused) {
        EXPECT_TRUE(recordingAtRelease) << "the repeats kept the hold going\n" << runs();
    }
    EXPECT_GT(pressesAtRelease, 10) << "GNOME's repeats reached Quillo";
    EXPECT_EQ(logged("Hold threshold reached -> start recording"), 1);
    EXPECT_EQ(logged("Option+Space DOWN"), 1);
    EXPECT_EQ(logged("Option+Space UP"), 1);

    ASSERT_TRUE(waitUntil([&] { return rig.paster.pasted.size() == 1; }, 10s))
        << rig.log.lines().join('\n').toStdString();
    EXPECT_EQ(rig.paster.pasted.constFirst(), "Hello from GNOME. ")
        << "the text and the space after it";
    EXPECT_EQ(rig.server.requests().size(), 2);
    runEventLoopFor(300ms);
    EXPECT_EQ(logged("Option+Space DOWN"), 1)
        << "no press after the release, nor from repeats after a pause\n"
        << runs();
}

// The whole way on GNOME: GNOME's shortcut, the microphone, the backend's answer, and the text in
// a GTK 3 Wayland field of another process through the session's own paste, after one consent
// at start-up for both dictations; the user's earlier copy is back afterwards.
TEST_F(GnomeHotkeyEndToEnd, HeldDictationsArriveInAWaylandFieldAfterOneConsent) {
    X11Pasteboard previous;
    previous.restore(Pasteboard::Selection::Clipboard,
                     {{QStringLiteral("UTF8_STRING"), "copied before"},
                      {QStringLiteral("text/plain;charset=utf-8"), "copied before"}});
    pasteForReal = true;
    MutterRemoteKeyboard keyboard;
    ASSERT_TRUE(keyboard.isReady()) << keyboard.error().toStdString();
    ASSERT_NO_FATAL_FAILURE(startQuilloWithControlSpace());
    ASSERT_TRUE(platform->pastesThroughClipboardBridge()) << "XWayland runs here";
    auto* portal = dynamic_cast<PortalRemoteDesktopKeystrokeSender*>(&platform->keystrokes());
    ASSERT_NE(portal, nullptr);
    QSignalSpy ready(portal, &PortalRemoteDesktopKeystrokeSender::ready);
    GnomeTestSession::answerRemoteDesktopConsent(keyboard);
    ASSERT_TRUE(portal->isReady() || ready.wait(10000)) << "the portal's session did not start";

    ChildProcess field(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral(QUILLO_SOURCE_DIR "/tests/support/child/gtk3-text-field.py")});
    ASSERT_TRUE(field.waitForLine(QStringLiteral("focused"), 20s));
    MicPipeFeeder tone(MicPipeFeeder::pipePath(), 440.0, 0.5);
    ASSERT_TRUE(tone.isOpen());
    const auto dictate = [&](const char* transcript, const char* formatted) {
        rig.server.enqueue(ScriptedResponse::json(
            200, QStringLiteral(R"({"text":"%1","words":2})").arg(transcript).toUtf8()));
        rig.server.enqueue(ScriptedResponse::json(
            200, QStringLiteral(R"({"text":"%1"})").arg(formatted).toUtf8()));
        ASSERT_TRUE(keyboard.hold(Key::leftControl, Key::space, 1200ms));
    };
    ASSERT_NO_FATAL_FAILURE(dictate("grusse aus gnome", "Grüße aus GNOME — 日本."));
    rig.figures.markRelease();
    EXPECT_TRUE(field.waitForLine(QStringLiteral("text Grüße aus GNOME — 日本. "), 10s))
        << rig.log.lines().join('\n').toStdString()
        << "\nfield: " << field.lines().join(" | ").toStdString();
    rig.figures.markText();
    rig.figures.print("GNOME", rig.server);
    ASSERT_NO_FATAL_FAILURE(dictate("noch einmal", "Noch einmal."));
    EXPECT_TRUE(
        field.waitForLine(QStringLiteral("text Grüße aus GNOME — 日本. Noch einmal. "), 10s))
        << rig.log.lines().join('\n').toStdString()
        << "\nfield: " << field.lines().join(" | ").toStdString();
    EXPECT_EQ(ready.count(), 1) << "one consent for both";
    // A dictation is in the history once its paste has put the clipboard back.
    ASSERT_TRUE(waitUntil([&] { return rig.settings.recentDictations().size() == 2; }, 5s));

    keyboard.tap(Key::leftControl, XKB_KEY_v);
    EXPECT_TRUE(field.waitForLine(
        QStringLiteral("text Grüße aus GNOME — 日本. Noch einmal. copied before"), 5s));
}

// Hands-free: two taps start it, one more stops it; GNOME sends presses only.
TEST_F(GnomeHotkeyEndToEnd, ADoubleTapStartsHandsFreeAndALaterTapStopsIt) {
    ASSERT_NO_FATAL_FAILURE(startQuilloWithControlSpace());
    rig.server.enqueue(ScriptedResponse::json(200, R"({"text":"hands free","words":2})"));
    rig.server.enqueue(ScriptedResponse::json(200, R"({"text":"Hands free."})"));
    MutterRemoteKeyboard keyboard;
    ASSERT_TRUE(keyboard.isReady()) << keyboard.error().toStdString();
    MicPipeFeeder tone(MicPipeFeeder::pipePath(), 440.0, 0.5);
    ASSERT_TRUE(tone.isOpen());

    ASSERT_TRUE(keyboard.tap(Key::leftControl, Key::space));
    runEventLoopFor(80ms);
    ASSERT_TRUE(keyboard.tap(Key::leftControl, Key::space));
    ASSERT_TRUE(waitUntil([&] { return rig.audioRecorder.isRecording(); }, 3s))
        << rig.log.lines().join('\n').toStdString();
    EXPECT_EQ(logged("Handsfree recording started"), 1);
    runEventLoopFor(1s);
    EXPECT_TRUE(rig.audioRecorder.isRecording()) << "the taps' releases do not stop it";

    ASSERT_TRUE(keyboard.tap(Key::leftControl, Key::space));
    ASSERT_TRUE(waitUntil([&] { return !rig.audioRecorder.isRecording(); }, 3s));
    ASSERT_TRUE(waitUntil([&] { return rig.paster.pasted.size() == 1; }, 10s))
        << rig.log.lines().join('\n').toStdString();
    EXPECT_EQ(rig.paster.pasted.constFirst(), "Hands free. ");
    EXPECT_EQ(presses.count(), 3);
    EXPECT_EQ(logged("Handsfree recording started"), 1);
    EXPECT_EQ(logged("Hold threshold reached"), 0);
}

// Alt+Space, Quillo's default, is GNOME's window menu: GNOME would take the entry and drop its
// grab without a word (as the second half shows), so Quillo refuses it and names the holder.
TEST_F(GnomeHotkeyEndToEnd, GnomesWindowMenuOnAltSpaceIsNamedNotWrittenAndFreedOnRequest) {
    ASSERT_NO_FATAL_FAILURE(startQuillo());  // the stored default: Alt+Space
    ASSERT_TRUE(rig.log.contains("[HotkeyManager] RegisterEventHotKey failed: -9878"))
        << rig.log.lines().join('\n').toStdString();
    EXPECT_TRUE(rig.log.contains(
        "[Quillo] <Alt>space is GNOME's \"activate-window-menu\" already "
        "(org.gnome.desktop.wm.keybindings): choose another hotkey or free those keys in GNOME"));
    const auto conflict = platform->gnomeShortcutHotkeys()->conflict();
    ASSERT_TRUE(conflict.has_value());
    EXPECT_EQ(conflict->key, "activate-window-menu");
    EXPECT_EQ(GnomeTestSession::gsettingsGet({QStringLiteral("org.gnome.desktop.wm.keybindings"),
                                              QStringLiteral("activate-window-menu")}),
              "['<Alt>space']");
    EXPECT_FALSE(GnomeTestSession::gsettingsGet({customList, QStringLiteral("custom-keybindings")})
                     .contains(GnomeCustomShortcut::entryPath()));

    const GnomeTestSession::LogMark before =
        GnomeTestSession::markLog(QStringLiteral("gsd-media-keys.log"));
    ASSERT_TRUE(GnomeCustomShortcut::write(QStringLiteral("<Alt>space"), QStringLiteral("true")));
    EXPECT_EQ(GnomeTestSession::waitForCustomGrab(before, GnomeCustomShortcut::entryPath()),
              GnomeTestSession::Grab::refused);
    GnomeCustomShortcut::remove();

    // The user asks to free the keys (the General section's button): GNOME's own tool sees the
    // window menu without them, the same hotkey goes through, and GNOME grabs it for Quillo.
    ASSERT_TRUE(platform->gnomeShortcutHotkeys()->freeConflictingKeys());
    EXPECT_EQ(GnomeTestSession::gsettingsGet({QStringLiteral("org.gnome.desktop.wm.keybindings"),
                                              QStringLiteral("activate-window-menu")}),
              "@as []");
    const GnomeTestSession::LogMark freed =
        GnomeTestSession::markLog(QStringLiteral("gsd-media-keys.log"));
    // As the settings window does: the shell applies the freed binding on its own time (a grab
    // asked for at once was refused about one run in eight).
    runEventLoopFor(1000ms);
    coordinator->updateHotkey(spaceKeyCode, KeyCodes::optionMask);
    EXPECT_TRUE(
        rig.log.contains("[HotkeyManager] Carbon hotkey registered (keyCode=49, modifiers=2048)"));
    EXPECT_FALSE(platform->gnomeShortcutHotkeys()->conflict().has_value());
    EXPECT_EQ(GnomeTestSession::waitForCustomGrab(freed, GnomeCustomShortcut::entryPath()),
              GnomeTestSession::Grab::grabbed);
    MutterRemoteKeyboard keyboard;
    ASSERT_TRUE(keyboard.isReady()) << keyboard.error().toStdString();
    ASSERT_TRUE(keyboard.tap(Key::leftAlt, Key::space));
    EXPECT_TRUE(waitUntil([&] { return presses.count() == 1; }, 3s)) << "Alt+Space reaches Quillo";
}

// Where KDE's portal is installed beside GNOME's, the frontend lists GlobalShortcuts but no
// session can be made: Quillo says so and its custom shortcut carries the hotkey.
TEST_F(GnomeHotkeyEndToEnd, AGlobalShortcutsPortalThatMakesNoSessionFallsBackToTheCustomShortcut) {
    ASSERT_TRUE(GnomeTestSession::offerKdeGlobalShortcuts());
    ASSERT_TRUE(PortalGlobalShortcutsBackend::isAvailable()) << "the frontend lists it now";
    ASSERT_NO_FATAL_FAILURE(startQuilloWithControlSpace());
    EXPECT_TRUE(platform->limitationLogLines().contains(
        "[Quillo] The portal lists GlobalShortcuts but could not make a session: it is not "
        "available"));
    EXPECT_EQ(platform->portalHotkeys(), nullptr);

    MutterRemoteKeyboard keyboard;
    ASSERT_TRUE(keyboard.isReady()) << keyboard.error().toStdString();
    ASSERT_TRUE(keyboard.tap(Key::leftControl, Key::space));
    EXPECT_TRUE(waitUntil([&] { return logged("Option+Space UP") == 1; }, 3s))
        << rig.log.lines().join('\n').toStdString();
    EXPECT_EQ(presses.count(), 1);
}

// The real program: a second start hands over to the first, which shows its settings window
// on the session's XWayland display.
TEST(GnomeSingleInstance, ASecondStartOpensTheRunningQuillosSettingsWindow) {
    REQUIRE_ENVIRONMENT(RequireEnvironment::hasGnomeShell() && GnomeTestSession::isRunning(),
                        "headless GNOME Shell (scripts/with-gnome.sh ...)");
    // Quillo's own choice of Qt platform, as started from the desktop.
    ChildOptions options;
    options.environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    const QString program = QStringLiteral(QUILLO_BINARY_DIR "/src/quillo");
    ChildProcess first(program, {}, options);
    ASSERT_TRUE(first.waitForLineStartingWith(QStringLiteral("[HotkeyManager]"), 30s))
        << first.lines().join('\n').toStdString();
    const auto settingsShown = [] {
        const ChildProcess::Result found =
            ChildProcess::run(QStringLiteral("xdotool"),
                              {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                               QStringLiteral("--name"), QStringLiteral("^Quillo Settings$")});
        return found.finished && found.exitCode == 0 && !found.out.trimmed().isEmpty();
    };
    EXPECT_FALSE(settingsShown());

    const ChildProcess::Result second = ChildProcess::run(program, {}, options.environment, 30s);
    ASSERT_TRUE(second.finished);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(second.out.contains(
        "[Quillo] Quillo is already running; asked it to open its settings window"))
        << second.out.toStdString();
    EXPECT_TRUE(waitUntil(settingsShown, 10s)) << "no visible \"Quillo Settings\" window";
    EXPECT_TRUE(first.process().state() == QProcess::Running);
}
