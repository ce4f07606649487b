#include "platform/linux/XTestKeystrokeSender.h"
#include "services/ClipboardManager.h"
#include "support/FakeAccessibilityTrust.h"
#include "support/FakeKeystrokeSender.h"
#include "support/FakePasteboard.h"
#include "support/FakeScriptKeystroke.h"
#include "support/LogCapture.h"
#include "support/ManualScheduler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace std::chrono_literals;
using ::testing::ElementsAre;

namespace {

const QString kDictated = QStringLiteral("Hello from dictation ");

Pasteboard::Contents richCopy() {
    return {{QStringLiteral("text/html"), QByteArrayLiteral("<b>bold</b> words")},
            {QStringLiteral("text/plain"), QByteArrayLiteral("bold words")},
            {QStringLiteral("application/x-app-private"), QByteArray("\x00\x01\x02", 3)}};
}

class ClipboardManagerTest : public ::testing::Test {
protected:
    // Runs the whole sequence on the manual clock; returns whether it had finished.
    bool pasteAndRunFor(Scheduler::Duration time) {
        QCoro::Task<void> task = manager.pasteText(kDictated);
        scheduler.advance(time);
        return task.isReady();
    }

    LogCapture log;
    ManualScheduler scheduler;
    FakePasteboard pasteboard;
    FakeKeystrokeSender keystrokes{scheduler};
    FakeScriptKeystroke script;
    FakeAccessibilityTrust trust{true};
    ClipboardManager manager{pasteboard, keystrokes, script, trust, scheduler};
};

}  // namespace

TEST_F(ClipboardManagerTest, PastesThenPutsBackEveryTypeOfThePreviousCopy) {
    pasteboard.copyFromElsewhere(richCopy());
    QCoro::Task<void> task = manager.pasteText(kDictated);

    scheduler.advance(50ms);
    ASSERT_THAT(keystrokes.chordsPostedAt, ElementsAre(50ms)) << "no modifiers held: no waiting";
    EXPECT_EQ(pasteboard.text(), kDictated);
    EXPECT_TRUE(pasteboard.current.contains(
        Pasteboard::Format{QStringLiteral("x-kde-passwordManagerHint"), "secret"}));

    scheduler.advance(499ms);
    EXPECT_FALSE(task.isReady());
    EXPECT_EQ(pasteboard.text(), kDictated) << "the target is still fetching the text";
    scheduler.advance(1ms);
    EXPECT_TRUE(task.isReady());
    EXPECT_EQ(pasteboard.current, richCopy());
    EXPECT_EQ(script.runs, 0);
    EXPECT_EQ(log.lines(),
              QStringList({"[ClipboardManager] CGEvent ⌘V posted (Accessibility: true)",
                           "[ClipboardManager] Text pasted successfully"}));
}

TEST_F(ClipboardManagerTest, AnEmptyOrUnreadableClipboardIsNotRestored) {
    ASSERT_TRUE(pasteAndRunFor(550ms));
    EXPECT_EQ(pasteboard.text(), kDictated);
    EXPECT_EQ(pasteboard.writes, 1);

    pasteboard.readable = false;
    ASSERT_TRUE(pasteAndRunFor(550ms));
    EXPECT_EQ(pasteboard.text(), kDictated);
    EXPECT_EQ(pasteboard.writes, 2);
}

TEST_F(ClipboardManagerTest, ACopyMadeBeforeTheRestoreIsKept) {
    pasteboard.copyFromElsewhere(richCopy());
    QCoro::Task<void> task = manager.pasteText(kDictated);
    scheduler.advance(300ms);
    const Pasteboard::Contents newer{{QStringLiteral("text/plain"), "copied meanwhile"}};
    pasteboard.copyFromElsewhere(newer);
    scheduler.advance(250ms);
    ASSERT_TRUE(task.isReady());
    EXPECT_EQ(pasteboard.current, newer);
    EXPECT_TRUE(
        log.contains("[ClipboardManager] Clipboard changed during paste -- previous "
                     "contents not restored"));
}

TEST_F(ClipboardManagerTest, TheChordWaitsForHeldModifiersButNotForFnOrCapsLock) {
    keystrokes.heldModifiers = KeystrokeSender::Option;
    TimerHandle release = scheduler.scheduleOnce(100ms, [this] { keystrokes.heldModifiers = 0; });
    ASSERT_TRUE(pasteAndRunFor(1s));
    ASSERT_EQ(keystrokes.chordsPostedAt.size(), 1);
    EXPECT_GE(keystrokes.chordsPostedAt[0], 150ms);
    EXPECT_LE(keystrokes.chordsPostedAt[0], 175ms) << "release seen within one poll, then 50 ms";

    keystrokes.heldModifiers = KeystrokeSender::Fn | KeystrokeSender::CapsLock;
    keystrokes.modifierReads = 0;
    const Scheduler::Duration start = scheduler.now();
    ASSERT_TRUE(pasteAndRunFor(550ms));
    EXPECT_EQ(keystrokes.modifierReads, 1);
    EXPECT_EQ(keystrokes.chordsPostedAt.last() - start, 50ms);
}

TEST_F(ClipboardManagerTest, ModifiersHeldThroughoutGiveAWarningAndThePasteStillGoesOut) {
    keystrokes.heldModifiers = KeystrokeSender::Option | KeystrokeSender::Command;
    QCoro::Task<void> task = manager.pasteText(kDictated);
    scheduler.advance(599ms);
    EXPECT_FALSE(
        log.contains("[ClipboardManager] Warning: modifier keys still held after timeout"));
    scheduler.advance(1ms);
    EXPECT_EQ(keystrokes.modifierReads, 24);
    EXPECT_TRUE(log.contains("[ClipboardManager] Warning: modifier keys still held after timeout"));
    scheduler.advance(50ms);
    EXPECT_THAT(keystrokes.chordsPostedAt, ElementsAre(650ms));
    scheduler.advance(500ms);
    EXPECT_TRUE(task.isReady());
}

TEST_F(ClipboardManagerTest, WithoutTrustBothPathsAreTriedAndAFailureKeepsTheText) {
    pasteboard.copyFromElsewhere(richCopy());
    trust.trusted = false;
    script.outcome = {true, {}, 1};
    ASSERT_TRUE(pasteAndRunFor(550ms));
    EXPECT_EQ(keystrokes.chordsPostedAt.size(), 1) << "the events go out regardless of trust";
    EXPECT_EQ(script.runs, 1);
    EXPECT_EQ(pasteboard.text(), kDictated) << "left for the user to paste by hand";
    EXPECT_EQ(
        log.lines(),
        QStringList({"[ClipboardManager] CGEvent ⌘V posted (Accessibility: false)",
                     "[ClipboardManager] Trying AppleScript fallback...",
                     "[ClipboardManager] AppleScript result: failed",
                     "[ClipboardManager] Auto-paste failed -- text is on clipboard, press ⌘V"}));
}

TEST_F(ClipboardManagerTest, TheFallbackRescuesARefusedChordOrReportsWhyItCouldNotRun) {
    pasteboard.copyFromElsewhere(richCopy());
    keystrokes.refuses = true;
    ASSERT_TRUE(pasteAndRunFor(550ms));
    EXPECT_EQ(pasteboard.current, richCopy()) << "a successful fallback restores as well";
    EXPECT_EQ(log.lines(), QStringList({"[ClipboardManager] CGEvent creation failed",
                                        "[ClipboardManager] Trying AppleScript fallback...",
                                        "[ClipboardManager] AppleScript result: success",
                                        "[ClipboardManager] Text pasted successfully"}));

    log.clear();
    script.outcome = {false, QStringLiteral("execvp: No such file or directory"), -1};
    ASSERT_TRUE(pasteAndRunFor(550ms));
    EXPECT_EQ(pasteboard.text(), kDictated);
    EXPECT_TRUE(
        log.contains("[ClipboardManager] AppleScript error: execvp: No such file or directory"));
    EXPECT_TRUE(
        log.contains("[ClipboardManager] Auto-paste failed -- text is on clipboard, press ⌘V"));
}

TEST(ClipboardTerminalDetection, KnownTerminalsAreRecognisedByInstanceOrClass) {
    EXPECT_TRUE(XTestKeystrokeSender::isTerminalWindowClass(QByteArray("xterm\0XTerm\0", 12)));
    EXPECT_TRUE(XTestKeystrokeSender::isTerminalWindowClass(
        QByteArray("gnome-terminal-server\0Gnome-terminal\0", 38)));
    EXPECT_TRUE(XTestKeystrokeSender::isTerminalWindowClass(
        QByteArray("org.wezfurlong.wezterm\0org.wezfurlong.wezterm\0", 46)));
    EXPECT_TRUE(XTestKeystrokeSender::isTerminalWindowClass(QByteArray("urxvt\0URxvt\0", 12)));
    EXPECT_FALSE(
        XTestKeystrokeSender::isTerminalWindowClass(QByteArray("Navigator\0firefox\0", 18)));
    EXPECT_FALSE(
        XTestKeystrokeSender::isTerminalWindowClass(QByteArray("xterminal\0Xterminal\0", 20)));
    EXPECT_FALSE(XTestKeystrokeSender::isTerminalWindowClass({}));
}
