#include "dictation/DictationCoordinator.h"
#include "platform/x11/X11AccessibilityTrust.h"
#include "platform/x11/X11CancelKeyGrab.h"
#include "platform/x11/X11CompositorStatus.h"
#include "platform/x11/X11GlobalHotkeyBackend.h"
#include "platform/x11/X11ModifierEventSource.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11WindowFocus.h"
#include "platform/x11/XdotoolScriptKeystroke.h"
#include "platform/x11/XTestKeystrokeSender.h"
#include "services/paste/ClipboardManager.h"
#include "support/EndToEndRig.h"
#include "support/RequireEnvironment.h"
#include "support/X11TestClient.h"
#include "views/overlay/OverlayWindowController.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr quint8 xSpace = 65;
constexpr quint8 xLeftAlt = 64;
constexpr quint8 xEscape = 9;

// The real parts of one X11 desktop session, with a loopback server standing in for the backend.
class DictationEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ENVIRONMENT(
            RequireEnvironment::hasXWindows() && RequireEnvironment::hasSoundServer(),
            "the X display and sound server of scripts/with-test-env.sh");
        rig.takeMicrophone();
        rig.settings.setPlaySoundOnComplete(false);
        rig.parts = {.recorder = &rig.audioRecorder,
                     .paster = &clipboard,
                     .overlay = &overlay,
                     .trust = &accessibility,
                     .scheduler = &rig.qtScheduler,
                     .hotkeys = &hotkeys,
                     .modifiers = &modifiers,
                     .cancelKey = &cancelKey,
                     .windowFocus = &windows};
        coordinator = rig.startCoordinator();
        ASSERT_TRUE(focusField());
    }

    bool focusField() { return focus(field); }
    static bool focus(QLineEdit& target) {
        target.resize(400, 40);
        target.show();
        target.activateWindow();
        if (!QTest::qWaitForWindowActive(&target, 5000)) {
            return false;
        }
        target.setFocus();
        return true;
    }

    RecordingStateValue state() const { return coordinator->stateMachine().state(); }

    // Holds Alt+Space for about a second while the microphone plays a tone.
    bool holdHotkey() {
        return rig.holdWithTone(
            [&] {
                keyboard.press(xLeftAlt);
                keyboard.press(xSpace);
                return true;
            },
            [&] {
                keyboard.release(xSpace);
                keyboard.release(xLeftAlt);
                return true;
            });
    }

    // A first dictation whose transcript the backend holds back for `delay`, under way.
    void dictateOneTwoThreeSlowly(std::chrono::milliseconds delay) {
        ScriptedResponse slow =
            ScriptedResponse::json(200, R"({"text":"one two three","words":3})");
        slow.delay = delay;
        rig.server.enqueue(slow);
        ASSERT_TRUE(holdHotkey());
        ASSERT_TRUE(waitUntil([&] { return rig.server.requests().size() == 1; }, 3s));
    }

    EndToEndRig rig;
    X11GlobalHotkeyBackend hotkeys;
    X11ModifierEventSource modifiers;
    X11AccessibilityTrust accessibility;
    X11Pasteboard pasteboard;
    XTestKeystrokeSender keystrokes;
    XdotoolScriptKeystroke script;
    ClipboardManager clipboard{pasteboard, keystrokes, script, accessibility, rig.qtScheduler};
    X11CompositorStatus compositor;
    OverlayWindowController overlay{rig.qtScheduler, compositor};
    X11CancelKeyGrab cancelKey;
    X11WindowFocus windows;
    std::unique_ptr<DictationCoordinator> coordinator;
    QLineEdit field;
    X11TestClient keyboard;
};

}  // namespace

// The whole road of one dictation with the real parts: a held Alt+Space grabbed on the X
// server, the virtual microphone of the sound server, the overlay, the paste chord into a
// focused text field, and a loopback server standing in for the backend.
TEST_F(DictationEndToEnd, HoldingTheHotkeyPastesTheBackendsTextIntoTheFocusedField) {
    rig.server.enqueue(
        ScriptedResponse::json(200, R"({"text":"hello from the microphone","words":4})"));
    rig.server.enqueue(ScriptedResponse::json(200, R"({"text":"Hello from the microphone."})"));
    ASSERT_TRUE(
        rig.log.contains("[HotkeyManager] Carbon hotkey registered (keyCode=49, modifiers=2048)"));
    QObject::connect(&field, &QLineEdit::textChanged, [&] { rig.figures.markText(); });

    ASSERT_TRUE(holdHotkey());

    EXPECT_TRUE(waitUntil([&] { return field.text() == "Hello from the microphone. "; }, 10000ms))
        << field.text().toStdString();
    rig.figures.print("X11", rig.server);
    EXPECT_TRUE(waitUntil([&] { return state() == RecordingStateValue::idle; }));

    ASSERT_EQ(rig.server.requests().size(), 2);
    const QByteArray& upload = rig.server.requests()[0].body;
    // About a second of 16 kHz mono 16-bit audio inside the multipart body.
    EXPECT_GT(upload.size(), 44 + 25000);
    EXPECT_LT(upload.size(), 44 + 64000);
    EXPECT_EQ(rig.server.requests()[1].path, "/api/format");
    EXPECT_EQ(rig.settings.recentDictations().value(0).text, "Hello from the microphone.");
    EXPECT_TRUE(rig.log.contains("[Quillo] Formatted: \"Hello from the microphone.\""));
}

// A second hold while the backend is still working on the first: both are recorded, and the
// texts land in the field in the order they were spoken, though the second is ready first.
TEST_F(DictationEndToEnd, ASecondHoldDuringASlowFirstDictationPastesBothInOrder) {
    ASSERT_NO_FATAL_FAILURE(dictateOneTwoThreeSlowly(4000ms));
    rig.server.enqueue(ScriptedResponse::json(200, R"({"text":"four five","words":2})"));
    rig.server.enqueue(ScriptedResponse::json(200, R"({"text":"Four five."})"));
    rig.server.enqueue(ScriptedResponse::json(200, R"({"text":"One two three."})"));
    ASSERT_TRUE(holdHotkey());

    EXPECT_TRUE(waitUntil([&] { return field.text() == "One two three. Four five. "; }, 15000ms))
        << field.text().toStdString();
    EXPECT_TRUE(waitUntil([&] { return state() == RecordingStateValue::idle; }));
    ASSERT_EQ(rig.server.requests().size(), 4);
    EXPECT_GT(rig.server.requests()[1].body.size(), 44 + 25000) << "the second hold recorded";
    const auto history = rig.settings.recentDictations();
    ASSERT_EQ(history.size(), 2);
    EXPECT_EQ(history[0].text, "Four five.");
    EXPECT_EQ(history[1].text, "One two three.");
}

// The user went on to another window while the first dictation was on its way: each text lands
// in the field its recording ended in, and the focus comes back to the second field.
TEST_F(DictationEndToEnd, EachTextLandsInTheWindowItsRecordingEndedIn) {
    ASSERT_NO_FATAL_FAILURE(dictateOneTwoThreeSlowly(3000ms));
    rig.server.enqueue(ScriptedResponse::json(200, R"({"text":"four five","words":2})"));
    rig.server.enqueue(ScriptedResponse::json(200, R"({"text":"Four five."})"));
    rig.server.enqueue(ScriptedResponse::json(200, R"({"text":"One two three."})"));
    QLineEdit otherField;
    ASSERT_TRUE(focus(otherField));
    ASSERT_TRUE(holdHotkey());

    EXPECT_TRUE(waitUntil([&] { return otherField.text() == "Four five. "; }, 15000ms))
        << otherField.text().toStdString();
    EXPECT_EQ(field.text(), "One two three. ");
    EXPECT_TRUE(waitUntil([&] { return state() == RecordingStateValue::idle; }));
    EXPECT_TRUE(otherField.isActiveWindow()) << "the focus is back where the user is";
    EXPECT_TRUE(
        rig.log.contains("[Quillo] Pasting into the window this dictation was spoken into"));
}

// Escape during the second recording (hands-free: the held combination's own grab keeps
// Escape from the cancel grab) drops only that recording; the first still arrives.
TEST_F(DictationEndToEnd, EscapeDuringASecondRecordingLeavesTheFirstDictationIntact) {
    ASSERT_NO_FATAL_FAILURE(dictateOneTwoThreeSlowly(2000ms));
    rig.server.enqueue(ScriptedResponse::json(200, R"({"text":"One two three."})"));
    for (int press = 0; press < 2; ++press) {  // a double press: hands-free
        keyboard.press(xLeftAlt);
        keyboard.press(xSpace);
        keyboard.release(xSpace);
        keyboard.release(xLeftAlt);
    }
    ASSERT_TRUE(waitUntil([&] { return rig.audioRecorder.isRecording(); }, 3000ms));
    keyboard.press(xEscape);
    keyboard.release(xEscape);
    ASSERT_TRUE(
        waitUntil([&] { return rig.log.contains("[Quillo] Recording cancelled"); }, 3000ms));
    EXPECT_FALSE(rig.audioRecorder.isRecording());

    EXPECT_TRUE(waitUntil([&] { return field.text() == "One two three. "; }, 10000ms))
        << field.text().toStdString();
    EXPECT_TRUE(waitUntil([&] { return state() == RecordingStateValue::idle; }));
    EXPECT_EQ(rig.server.requests().size(), 2);
    EXPECT_EQ(rig.settings.recentDictations().size(), 1);
}
