#include "platform/TextTyper.h"
#include "platform/x11/XdotoolScriptKeystroke.h"
#include "platform/x11/XTestKeystrokeSender.h"
#include "services/paste/ClipboardManager.h"
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

    void SetUp() override {
        // A prompt target: it fetches the text as soon as the chord arrives.
        keystrokes.onChord = [this] { pasteboard.fetchOffered(); };
        script.onRun = keystrokes.onChord;
    }

    // The target fetches the text only `delay` after the chord.
    void targetFetchesAfter(Scheduler::Duration delay,
                            Pasteboard::Selection selection = Pasteboard::Selection::Clipboard) {
        keystrokes.onChord = [this, delay, selection] {
            lateFetch = scheduler.scheduleOnce(
                delay, [this, selection] { pasteboard.fetchOffered(selection); });
        };
    }

    LogCapture log;
    ManualScheduler scheduler;
    FakePasteboard pasteboard{&scheduler};
    FakeKeystrokeSender keystrokes{scheduler};
    TimerHandle lateFetch;
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

    pasteboard[Pasteboard::Selection::Clipboard].readable = false;
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

TEST_F(ClipboardManagerTest, ASlowTargetGetsTheDictationAndTheRestoreWaitsForIt) {
    pasteboard.copyFromElsewhere(richCopy());
    targetFetchesAfter(800ms);
    QCoro::Task<void> task = manager.pasteText(kDictated);

    scheduler.advance(849ms);
    EXPECT_EQ(pasteboard.text(), kDictated) << "not restored at 550 ms: nobody fetched yet";
    scheduler.advance(1ms);
    EXPECT_THAT(pasteboard.fetchedTexts, ElementsAre(kDictated));
    scheduler.advance(199ms);
    EXPECT_FALSE(task.isReady()) << "a short grace after the fetch";
    scheduler.advance(1ms);
    EXPECT_TRUE(task.isReady());
    EXPECT_EQ(pasteboard.current, richCopy());
}

TEST_F(ClipboardManagerTest, WhenNobodyFetchesTheRestoreComesAtTheCap) {
    pasteboard.copyFromElsewhere(richCopy());
    keystrokes.onChord = {};
    QCoro::Task<void> task = manager.pasteText(kDictated);
    // A clipboard manager reading every new selection before the chord is not the target.
    scheduler.advance(10ms);
    pasteboard.fetchOffered();

    scheduler.advance(2039ms);
    EXPECT_FALSE(task.isReady());
    EXPECT_EQ(pasteboard.text(), kDictated);
    scheduler.advance(1ms);
    EXPECT_TRUE(task.isReady()) << "two seconds after the chord at 50 ms";
    EXPECT_EQ(pasteboard.current, richCopy());
}

TEST_F(ClipboardManagerTest, ASecondPasteWaitsUntilTheFirstHasRestored) {
    pasteboard.copyFromElsewhere(richCopy());
    targetFetchesAfter(300ms);
    const QString second = QStringLiteral("second dictation ");
    QStringList textsAtChord;
    keystrokes.onChord = [&] {
        textsAtChord.append(pasteboard.text());
        lateFetch = scheduler.scheduleOnce(300ms, [this] { pasteboard.fetchOffered(); });
    };
    QCoro::Task<void> first = manager.pasteText(kDictated);
    scheduler.advance(10ms);
    QCoro::Task<void> secondTask = manager.pasteText(second);

    scheduler.advance(539ms);
    EXPECT_EQ(pasteboard.text(), kDictated) << "the second waits: the first's target fetches";
    scheduler.advance(1ms);  // the first restores at 550 ms, then the second begins
    EXPECT_TRUE(first.isReady());
    EXPECT_EQ(pasteboard.text(), second);
    scheduler.advance(2s);
    EXPECT_TRUE(secondTask.isReady());
    EXPECT_THAT(textsAtChord, ElementsAre(kDictated, second));
    EXPECT_THAT(pasteboard.fetchedTexts, ElementsAre(kDictated, second));
    EXPECT_EQ(pasteboard.current, richCopy()) << "the second saved what the first put back";
}

TEST_F(ClipboardManagerTest, FormatsOverTheSaveBudgetAreGivenUpWithALine) {
    using GivenUp = Pasteboard::GivenUp;
    pasteboard.copyFromElsewhere(richCopy());
    pasteboard.clipboard.givenUp = {{QStringLiteral("image/png"), GivenUp::Reason::TooLarge},
                                    {QStringLiteral("image/bmp"), GivenUp::Reason::TooSlow}};
    ASSERT_TRUE(pasteAndRunFor(550ms));
    ASSERT_EQ(pasteboard.budgetsAsked.size(), 1);
    EXPECT_EQ(pasteboard.budgetsAsked[0].time, 1000ms);
    EXPECT_EQ(pasteboard.budgetsAsked[0].bytes, 32 * 1024 * 1024);
    EXPECT_EQ(pasteboard.current, richCopy()) << "what did fit is restored";
    EXPECT_TRUE(log.contains(
        "[ClipboardManager] Not saving clipboard format image/png: over the size budget"));
    EXPECT_TRUE(
        log.contains("[ClipboardManager] Not saving clipboard format image/bmp: its "
                     "owner did not answer in time"));

    log.clear();
    pasteboard.clipboard.readable = false;
    pasteboard.clipboard.givenUp = {{QString(), GivenUp::Reason::TooSlow}};
    ASSERT_TRUE(pasteAndRunFor(550ms));
    EXPECT_EQ(pasteboard.text(), kDictated) << "nothing saved, nothing restored";
    EXPECT_TRUE(
        log.contains("[ClipboardManager] Owner of the clipboard did not answer in time "
                     "-- previous contents not saved"));
}

// The log alone would leave the user believing the old copy comes back whole.
TEST_F(ClipboardManagerTest, AnIncompleteSaveIsToldToTheUserOncePerPaste) {
    using GivenUp = Pasteboard::GivenUp;
    using Selection = Pasteboard::Selection;
    int notices = 0;
    manager.onPreviousClipboardIncomplete([&] { ++notices; });
    pasteboard.copyFromElsewhere(richCopy());
    ASSERT_TRUE(pasteAndRunFor(550ms));
    EXPECT_EQ(notices, 0) << "saved whole: nothing to tell";

    pasteboard.clipboard.givenUp = {{QStringLiteral("image/png"), GivenUp::Reason::TooLarge}};
    ASSERT_TRUE(pasteAndRunFor(550ms));
    EXPECT_EQ(notices, 1);

    // Both selections short in one paste: told once.
    pasteboard.copyFromElsewhere({{QStringLiteral("text/plain"), "selected"}}, Selection::Primary);
    pasteboard.primary.givenUp = {{QString(), GivenUp::Reason::TooSlow}};
    keystrokes.focusedChord = PasteChord::ShiftInsert;
    ASSERT_TRUE(pasteAndRunFor(550ms));
    EXPECT_EQ(notices, 2);
}

TEST_F(ClipboardManagerTest, ThousandsOfFormatsGivenUpMakeAFewLinesNotThousands) {
    QList<Pasteboard::GivenUp> many;
    for (int i = 0; i < 5000; ++i) {
        many.append({QStringLiteral("application/x-format-%1").arg(i),
                     Pasteboard::GivenUp::Reason::TooLarge});
    }
    pasteboard.copyFromElsewhere(richCopy());
    pasteboard.clipboard.givenUp = many;
    ASSERT_TRUE(pasteAndRunFor(550ms));
    EXPECT_EQ(log.lines().filter("[ClipboardManager] Not saving").size(), 11);
    EXPECT_TRUE(log.contains(
        "[ClipboardManager] Not saving clipboard format application/x-format-0: over the size "
        "budget"));
    EXPECT_TRUE(log.contains("[ClipboardManager] Not saving 4990 more clipboard formats"));
}

TEST_F(ClipboardManagerTest, TerminalsGetShiftInsertWithTheTextOnBothSelections) {
    using Selection = Pasteboard::Selection;
    const Pasteboard::Contents selected{{QStringLiteral("text/plain"), "selected words"}};
    pasteboard.copyFromElsewhere(richCopy());
    pasteboard.copyFromElsewhere(selected, Selection::Primary);
    keystrokes.focusedChord = PasteChord::ShiftInsert;
    targetFetchesAfter(700ms, Selection::Primary);
    QCoro::Task<void> task = manager.pasteText(kDictated);

    scheduler.advance(50ms);
    EXPECT_THAT(keystrokes.chords, ElementsAre(PasteChord::ShiftInsert));
    EXPECT_EQ(pasteboard.text(Selection::Primary), kDictated);
    EXPECT_EQ(pasteboard.text(Selection::Clipboard), kDictated);
    scheduler.advance(949ms);
    EXPECT_TRUE(task.isReady());
    EXPECT_EQ(pasteboard.current, richCopy());
    EXPECT_EQ(pasteboard.primary.current, selected);

    keystrokes.refuses = true;
    ASSERT_TRUE(pasteAndRunFor(2050ms));
    EXPECT_THAT(script.chords, ElementsAre(PasteChord::ShiftInsert)) << "the same chord";
}

TEST_F(ClipboardManagerTest, AChordThatBrokeOffHalfWayIsNotSentAgain) {
    pasteboard.copyFromElsewhere(richCopy());
    keystrokes.breaksOff = true;
    ASSERT_TRUE(pasteAndRunFor(550ms));
    EXPECT_EQ(script.runs, 0) << "a second chord could paste twice";
    EXPECT_EQ(pasteboard.text(), kDictated) << "left for the user to paste by hand";
    EXPECT_EQ(log.lines(), QStringList({"[ClipboardManager] Paste chord broke off -- keys "
                                        "released, not retried",
                                        "[ClipboardManager] Auto-paste failed -- text is on "
                                        "clipboard, press ⌘V"}));
}

TEST_F(ClipboardManagerTest, AClipboardThatCannotBeTakenIsNotPastedFrom) {
    pasteboard.copyFromElsewhere(richCopy());
    pasteboard.refusesOffer = true;
    ASSERT_TRUE(pasteAndRunFor(0ms));
    EXPECT_TRUE(keystrokes.chordsPostedAt.isEmpty()) << "the old contents would be pasted";
    EXPECT_EQ(pasteboard.current, richCopy());
    EXPECT_EQ(log.lines(), QStringList({"[ClipboardManager] Could not take the clipboard -- "
                                        "nothing pasted"}));
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

namespace {

using KeyEvent = XTestKeystrokeSender::KeyEvent;
constexpr quint8 kAlt = 64;
constexpr quint8 kControl = 37;
constexpr quint8 kV = 55;

// Sends through a fake connection that refuses the attempt numbered `failAt`, recording what
// went out.
struct FlakyConnection {
    explicit FlakyConnection(int failAt = -1) : failAt(failAt) {}
    bool operator()(const KeyEvent& event) {
        if (attempts++ == failAt) {
            return false;
        }
        sent.append({event.press, event.key});
        return true;
    }
    int failAt;
    int attempts = 0;
    QList<QPair<bool, quint8>> sent;
};

}  // namespace

TEST(ClipboardChordEvents, HeldModifiersAreLiftedAroundExactlyTheChord) {
    FlakyConnection connection;
    const auto events = XTestKeystrokeSender::chordEvents({kAlt}, kControl, kV);
    EXPECT_EQ(XTestKeystrokeSender::sendChordEvents(events, std::ref(connection)),
              KeystrokeSender::Result::Sent);
    EXPECT_THAT(connection.sent,
                ElementsAre(QPair<bool, quint8>{false, kAlt}, QPair<bool, quint8>{true, kControl},
                            QPair<bool, quint8>{true, kV}, QPair<bool, quint8>{false, kV},
                            QPair<bool, quint8>{false, kControl}, QPair<bool, quint8>{true, kAlt}));
}

TEST(ClipboardChordEvents, AFailureBeforeTheChordLeavesNothingPressedAndAllowsAnotherWay) {
    FlakyConnection connection{1};  // the Control press
    const auto events = XTestKeystrokeSender::chordEvents({kAlt}, kControl, kV);
    EXPECT_EQ(XTestKeystrokeSender::sendChordEvents(events, std::ref(connection)),
              KeystrokeSender::Result::NotSent);
    EXPECT_THAT(connection.sent,
                ElementsAre(QPair<bool, quint8>{false, kAlt}, QPair<bool, quint8>{true, kAlt}));
}

TEST(ClipboardChordEvents, AFailureHalfWayReleasesWhatWasPressed) {
    FlakyConnection connection{3};  // the V release
    const auto events = XTestKeystrokeSender::chordEvents({}, kControl, kV);
    EXPECT_EQ(XTestKeystrokeSender::sendChordEvents(events, std::ref(connection)),
              KeystrokeSender::Result::PartlySent);
    EXPECT_THAT(connection.sent,
                ElementsAre(QPair<bool, quint8>{true, kControl}, QPair<bool, quint8>{true, kV},
                            QPair<bool, quint8>{false, kV}, QPair<bool, quint8>{false, kControl}))
        << "V and Control released once the connection answered again";
}

TEST(ClipboardChordEvents, TheFallbackPressesTheSameChordAsTheMainPath) {
    EXPECT_EQ(XdotoolScriptKeystroke::arguments(PasteChord::ControlV),
              QStringList({"key", "--clearmodifiers", "ctrl+v"}));
    EXPECT_EQ(XdotoolScriptKeystroke::arguments(PasteChord::ShiftInsert),
              QStringList({"key", "--clearmodifiers", "shift+Insert"}));
}

namespace {

// Records what it typed and when; refuses when told to.
class FakeTextTyper final : public TextTyper {
public:
    explicit FakeTextTyper(Scheduler& scheduler) : scheduler_(scheduler) {}
    Typed typeText(const QString& text) override {
        typed.append({text, scheduler_.now()});
        return {accepts, untypeable};
    }
    QList<std::pair<QString, Scheduler::Duration>> typed;
    bool accepts = true;
    QString untypeable;

private:
    Scheduler& scheduler_;
};

}  // namespace

// Without clipboard control the text is typed, after the hotkey's modifiers are up, and neither
// clipboard is touched; a refused key or an untypeable character is said.
TEST_F(ClipboardManagerTest, WhereTextMustBeTypedNoClipboardIsTouched) {
    FakeTextTyper typer(scheduler);
    manager.typeInsteadOfPasting(typer);
    pasteboard.copyFromElsewhere(richCopy());
    keystrokes.heldModifiers = KeystrokeSender::Option;
    TimerHandle release = scheduler.scheduleOnce(100ms, [this] { keystrokes.heldModifiers = 0; });
    ASSERT_TRUE(pasteAndRunFor(1s));
    ASSERT_EQ(typer.typed.size(), 1);
    EXPECT_EQ(typer.typed[0].first, kDictated);
    EXPECT_GE(typer.typed[0].second, 150ms) << "typed only once Option is up, then 50 ms";
    EXPECT_LE(typer.typed[0].second, 175ms);
    EXPECT_TRUE(keystrokes.chordsPostedAt.isEmpty());
    EXPECT_EQ(pasteboard.current, richCopy());
    EXPECT_TRUE(log.contains("[ClipboardManager] Text typed successfully"));

    typer.accepts = false;
    ASSERT_TRUE(pasteAndRunFor(1s));
    EXPECT_TRUE(
        log.contains("[ClipboardManager] Typing broke off -- the desktop refused a key; "
                     "the text is in the history"));
    EXPECT_EQ(script.runs, 0) << "no paste chord, so no helper program either";

    // Characters the layout could not type are named in the log and to whoever shows them.
    typer.accepts = true;
    typer.untypeable = QStringLiteral("日本");
    log.clear();
    QStringList notices;
    manager.onUntypeableCharacters([&](const QString& characters) { notices.append(characters); });
    ASSERT_TRUE(pasteAndRunFor(1s));
    EXPECT_THAT(notices, ElementsAre(QStringLiteral("日本")));
    EXPECT_TRUE(
        log.contains("[ClipboardManager] Characters the keyboard layout cannot type were "
                     "left out: 日本 -- the text is in the history"));
    EXPECT_TRUE(log.contains("[ClipboardManager] Text typed successfully"));
}

namespace {

// GNOME's X11 clipboard seen by Wayland windows through mutter, which reads every new owner
// once (its list of formats, then the text) a few milliseconds after the ownership.
class ClipboardBridgeTest : public ClipboardManagerTest {
protected:
    void SetUp() override {
        ClipboardManagerTest::SetUp();
        manager.pasteThroughClipboardBridge();
        pasteboard.copyFromElsewhere(richCopy());
    }
    void bridgeReadsAt(Scheduler::Duration at) {
        bridgeRead = scheduler.scheduleOnce(at, [this] { pasteboard.fetchOffered(); });
    }
    TimerHandle bridgeRead;
};

}  // namespace

TEST_F(ClipboardBridgeTest, TheChordWaitsForTheBridgesReadAndTheRestoreForTheTargetsFetch) {
    bridgeReadsAt(8ms);
    targetFetchesAfter(2ms);
    QCoro::Task<void> task = manager.pasteText(kDictated);

    scheduler.advance(7ms);
    EXPECT_TRUE(keystrokes.chordsPostedAt.isEmpty()) << "mutter has not read the new owner yet";
    scheduler.advance(1ms);
    EXPECT_THAT(keystrokes.chordsPostedAt, ElementsAre(8ms)) << "at the read, not after 50 ms";

    // The bridge's read is not the target's: the restore follows the fetch at 10 ms.
    scheduler.advance(201ms);
    EXPECT_FALSE(task.isReady());
    EXPECT_EQ(pasteboard.text(), kDictated);
    scheduler.advance(1ms);
    EXPECT_TRUE(task.isReady()) << "the fetch at 10 ms and its grace: no 500 ms floor";
    EXPECT_EQ(pasteboard.current, richCopy());
    EXPECT_THAT(pasteboard.fetchedTexts, ElementsAre(kDictated, kDictated));
}

TEST_F(ClipboardBridgeTest,
       ABridgeThatDoesNotReadInTimeGetsTheChordAnywayAndItsLateReadDoesNotCount) {
    bridgeReadsAt(160ms);
    targetFetchesAfter(250ms);
    QCoro::Task<void> task = manager.pasteText(kDictated);

    scheduler.advance(150ms);
    EXPECT_THAT(keystrokes.chordsPostedAt, ElementsAre(150ms));
    EXPECT_TRUE(
        log.contains("[ClipboardManager] The clipboard bridge did not read the text "
                     "within 150 ms -- pressing the paste chord anyway"));
    // The bridge's read at 160 ms came after the chord but is still the bridge's.
    scheduler.advance(449ms);
    EXPECT_FALSE(task.isReady())
        << "200 ms after the target's fetch at 400 ms, not the bridge's read at 160";
    scheduler.advance(1ms);
    EXPECT_TRUE(task.isReady());
    EXPECT_EQ(pasteboard.current, richCopy());
}

TEST_F(ClipboardBridgeTest, ATargetThatNeverFetchesIsRestoredAtTheCap) {
    bridgeReadsAt(3ms);
    keystrokes.onChord = {};
    QCoro::Task<void> task = manager.pasteText(kDictated);
    scheduler.advance(2002ms);
    EXPECT_FALSE(task.isReady());
    scheduler.advance(1ms);
    EXPECT_TRUE(task.isReady()) << "two seconds after the chord at 3 ms";
    EXPECT_EQ(pasteboard.current, richCopy());
    EXPECT_TRUE(
        log.contains("[ClipboardManager] The target did not fetch the text within 2000 ms -- "
                     "restoring the clipboard"));
}
