#include "base/QtScheduler.h"
#include "platform/x11/X11Pasteboard.h"
#include "services/paste/ClipboardManager.h"
#include "support/EventLoop.h"
#include "support/FakeAccessibilityTrust.h"
#include "support/FakeClipboardBridge.h"
#include "support/FakeKeystrokeSender.h"
#include "support/FakeScriptKeystroke.h"
#include "support/LogCapture.h"
#include "support/RequireEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using Selection = Pasteboard::Selection;

namespace {

// What a Qt application's copy offers over X11: its own entries beside the real formats.
Pasteboard::Contents qtCopy() {
    return {{QStringLiteral("text/plain;charset=utf-8"), QByteArrayLiteral("copied in Qt")},
            {QStringLiteral("image/png"), QByteArray("\x89PNG\r\n\x1a\n", 8)},
            {QStringLiteral("application/x-qt-image"), QByteArray("\x89PNG\r\n\x1a\n", 8)},
            {QStringLiteral("MULTIPLE"), QByteArrayLiteral("x")},
            {QStringLiteral("SAVE_TARGETS"), QByteArrayLiteral("x")}};
}
const Pasteboard::Contents kRealFormats = qtCopy().mid(0, 2);

// GNOME's route on a plain X server: Quillo's X11 clipboard, mutter's bridge as a fake client
// of its own connection, and a chord whose "press" is the Wayland window's paste through it.
class ClipboardBridgePasteTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ENVIRONMENT(RequireEnvironment::hasXServer(),
                            "the X display of scripts/with-test-env.sh");
    }
    void pasteOnChord(FakeClipboardBridge& bridge, std::chrono::milliseconds incrementPause = 0ms) {
        keystrokes.onChord = [&bridge, incrementPause] { bridge.paste(incrementPause); };
        manager.pasteThroughClipboardBridge();
    }
    // Another program's copy, read by the bridge before the dictation starts.
    void previousCopy(const Pasteboard::Contents& contents, FakeClipboardBridge& bridge) {
        previous.restore(Selection::Clipboard, contents);
        ASSERT_TRUE(waitUntil([&] { return bridge.reads().size() == 2; }));
    }
    Pasteboard::Saved readBack() {
        X11Pasteboard reader;
        return QCoro::waitFor(reader.save(Selection::Clipboard, ClipboardManager::kSaveBudget));
    }

    LogCapture log;
    QtScheduler scheduler;
    X11Pasteboard previous;
    X11Pasteboard pasteboard;
    FakeKeystrokeSender keystrokes{scheduler};
    FakeScriptKeystroke script;
    FakeAccessibilityTrust trust{true};
    ClipboardManager manager{pasteboard, keystrokes, script, trust, scheduler};
};

}  // namespace

// A busy mutter reads the new owner only after 80 ms, later than the usual pause before the
// chord: the chord waits for its read, so the Wayland window gets the dictation and not the
// previous copy; then the previous copy comes back without Qt's own entries.
TEST_F(ClipboardBridgePasteTest, TheWaylandWindowGetsTheDictationAndThePreviousCopyComesBack) {
    FakeClipboardBridge bridge(80ms);
    ASSERT_TRUE(bridge.isConnected()) << "no XFixes on the display";
    previousCopy(qtCopy(), bridge);
    pasteOnChord(bridge);

    QCoro::Task<void> task = manager.pasteText(QStringLiteral("Grüße, café — 日本"));
    ASSERT_TRUE(waitUntil([&] { return task.isReady(); }, 5s));
    EXPECT_THAT(bridge.pasted(), ElementsAre(QStringLiteral("Grüße, café — 日本").toUtf8()));
    EXPECT_THAT(bridge.reads().mid(2, 2), ElementsAre("TARGETS", "text/plain;charset=utf-8"))
        << "the bridge read the dictation's owner before the chord";
    EXPECT_EQ(readBack().contents, kRealFormats);
    EXPECT_FALSE(
        log.contains("[ClipboardManager] The clipboard bridge did not read the text "
                     "within 150 ms -- pressing the paste chord anyway"));
}

// A text large enough to go in increments counts as fetched only after the last one: the
// clipboard still offers it while the window takes its time over each increment.
TEST_F(ClipboardBridgePasteTest, ALargeTextIsRestoredOnlyAfterItsLastIncrement) {
    FakeClipboardBridge bridge;
    ASSERT_TRUE(bridge.isConnected()) << "no XFixes on the display";
    previousCopy(kRealFormats, bridge);
    pasteOnChord(bridge, 150ms);
    bool offeredUntilPasted = false;
    bridge.onPasted([&] { offeredUntilPasted = pasteboard.stillOffers(Selection::Clipboard); });

    const QString large(600 * 1024, QLatin1Char('w'));
    QCoro::Task<void> task = manager.pasteText(large);
    ASSERT_TRUE(waitUntil([&] { return task.isReady(); }, 10s));
    ASSERT_EQ(bridge.pasted().size(), 1);
    EXPECT_EQ(bridge.pasted().first().size(), large.size());
    EXPECT_TRUE(offeredUntilPasted) << "restored while increments were still being read";
    EXPECT_EQ(readBack().contents, kRealFormats);
}
