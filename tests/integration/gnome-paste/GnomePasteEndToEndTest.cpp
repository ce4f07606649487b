#include "base/QtScheduler.h"
#include "platform/wayland/LayoutKeysyms.h"
#include "platform/wayland/PortalRemoteDesktopKeystrokeSender.h"
#include "platform/x11/X11Pasteboard.h"
#include "services/paste/ClipboardManager.h"
#include "support/ChildProcess.h"
#include "support/EventLoop.h"
#include "support/FakeAccessibilityTrust.h"
#include "support/FakeScriptKeystroke.h"
#include "support/GnomeTestSession.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LogCapture.h"
#include "support/MutterRemoteKeyboard.h"
#include "support/RequireEnvironment.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <xkbcommon/xkbcommon.h>

using namespace std::chrono_literals;

namespace {

// The user's own keyboard (mutter's RemoteDesktop API, which asks nobody).
void controlV(MutterRemoteKeyboard& keyboard) {
    keyboard.tap(MutterRemoteKeyboard::leftControl, XKB_KEY_v);
}

// A terminal's own paste of the clipboard.
void controlShiftV(MutterRemoteKeyboard& keyboard) {
    keyboard.press(MutterRemoteKeyboard::leftControl);
    keyboard.tap(MutterRemoteKeyboard::leftShift, XKB_KEY_V);
    keyboard.release(MutterRemoteKeyboard::leftControl);
}

enum class Toolkit { Gtk3, Qt6, Terminal };

ChildProcess textField(Toolkit toolkit) {
    if (toolkit == Toolkit::Terminal) {
        return ChildProcess(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(QUILLO_SOURCE_DIR "/tests/support/child/terminal-text-field.py")});
    }
    if (toolkit == Toolkit::Gtk3) {
        return ChildProcess(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(QUILLO_SOURCE_DIR "/tests/support/child/gtk3-text-field.py")});
    }
    return ChildProcess(QStringLiteral(QUILLO_BINARY_DIR "/tests/wayland_text_field_child"));
}

// Quillo's paste on GNOME as the session builds it, against the real GNOME Shell 43 of
// scripts/with-gnome.sh: the X11 clipboard that mutter hands on to Wayland windows, the chord
// through the RemoteDesktop portal, whose consent dialog the user answers once.
class GnomeSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ENVIRONMENT(qEnvironmentVariableIsSet("QUILLO_TEST_GNOME_SHELL"),
                            "the GNOME Shell session of scripts/with-gnome.sh");
        ASSERT_TRUE(keyboard.isReady()) << keyboard.error().toStdString();
    }
    void consent() { GnomeTestSession::answerRemoteDesktopConsent(keyboard); }

    LogCapture log;
    MutterRemoteKeyboard keyboard;
    QtScheduler scheduler;
    InMemoryDefaultsStore store;
    X11Pasteboard previous;
    X11Pasteboard pasteboard;
    std::unique_ptr<PortalRemoteDesktopKeystrokeSender> portal;
    FakeScriptKeystroke script;
    FakeAccessibilityTrust trust{true};
};

class GnomePasteEndToEndTest : public GnomeSessionTest,
                               public ::testing::WithParamInterface<Toolkit> {};

}  // namespace

// Two dictations after one consent at start-up, whole with umlauts, a dash and CJK on a US
// layout, each into the focused Wayland window of another process (a GTK 3 and a Qt 6 field,
// GNOME's terminal) with the one chord the session uses for all; the previous copy is back for
// the user's own paste afterwards.
TEST_P(GnomePasteEndToEndTest, DictationsArriveWholeAndThePreviousCopyComesBack) {
    previous.restore(Pasteboard::Selection::Clipboard,
                     {{QStringLiteral("UTF8_STRING"), "copied before"},
                      {QStringLiteral("text/plain;charset=utf-8"), "copied before"}});
    previous.restore(Pasteboard::Selection::Primary,
                     {{QStringLiteral("UTF8_STRING"), "selected before"}});
    ChildProcess field = textField(GetParam());
    ASSERT_TRUE(field.waitForLine(QStringLiteral("focused"), 20s));

    portal = std::make_unique<PortalRemoteDesktopKeystrokeSender>(store);
    portal->setPasteChord(PasteChord::ShiftInsert);  // as the session sets it on GNOME
    QSignalSpy ready(portal.get(), &PortalRemoteDesktopKeystrokeSender::ready);
    QSignalSpy failed(portal.get(), &PortalRemoteDesktopKeystrokeSender::failed);
    consent();
    ASSERT_TRUE(ready.count() == 1 || ready.wait(10000)) << "the portal's session did not start";
    runEventLoopFor(500ms);  // the field has the focus again

    ClipboardManager manager(pasteboard, *portal, script, trust, scheduler);
    manager.pasteThroughClipboardBridge();
    const QString first = QStringLiteral("Grüße, café — 日本");
    QCoro::Task<void> one = manager.pasteText(first);
    EXPECT_TRUE(field.waitForLine(QStringLiteral("text ") + first, 5s));
    ASSERT_TRUE(waitUntil([&] { return one.isReady(); }, 5s));
    QCoro::Task<void> two = manager.pasteText(QStringLiteral(" zwei"));
    EXPECT_TRUE(field.waitForLine(QStringLiteral("text ") + first + QStringLiteral(" zwei"), 5s));
    ASSERT_TRUE(waitUntil([&] { return two.isReady(); }, 5s));
    EXPECT_EQ(ready.count(), 1) << "one consent for both";
    EXPECT_EQ(failed.count(), 0);
    EXPECT_FALSE(
        log.contains("[ClipboardManager] The clipboard bridge did not read the text "
                     "within 150 ms -- pressing the paste chord anyway"));

    if (GetParam() == Toolkit::Terminal)
        controlShiftV(keyboard);
    else
        controlV(keyboard);
    EXPECT_TRUE(field.waitForLine(
        QStringLiteral("text ") + first + QStringLiteral(" zwei") + QStringLiteral("copied before"),
        5s))
        << log.lines().join('\n').toStdString()
        << "\nfield: " << field.lines().join(" | ").toStdString();
}

// Without XWayland the text is typed through the portal: on a US layout what has no key goes
// through GTK's Ctrl+Shift+U entry, and nothing is left out.
TEST_F(GnomeSessionTest, TypedTextKeepsWhatTheLayoutHasNoKeyForInGtk) {
    ChildProcess field = textField(Toolkit::Gtk3);
    ASSERT_TRUE(field.waitForLine(QStringLiteral("focused"), 20s));
    portal = std::make_unique<PortalRemoteDesktopKeystrokeSender>(store);
    QSignalSpy ready(portal.get(), &PortalRemoteDesktopKeystrokeSender::ready);
    consent();
    ASSERT_TRUE(ready.count() == 1 || ready.wait(10000)) << "the portal's session did not start";
    runEventLoopFor(500ms);
    portal->typeWithLayout([] {
        return [keysyms = LayoutKeysyms::of(QStringLiteral("us"))](quint32 keysym) {
            return keysyms.contains(keysym);
        };
    });

    const QString text = QStringLiteral("Grüße, café — 日本");
    const TextTyper::Typed typed = portal->typeText(text);
    EXPECT_TRUE(typed.sent);
    EXPECT_EQ(typed.untypeable, QString());
    EXPECT_TRUE(field.waitForLine(QStringLiteral("text ") + text, 5s));
}

INSTANTIATE_TEST_SUITE_P(Fields, GnomePasteEndToEndTest,
                         ::testing::Values(Toolkit::Gtk3, Toolkit::Qt6, Toolkit::Terminal),
                         [](const ::testing::TestParamInfo<Toolkit>& info) {
                             switch (info.param) {
                                 case Toolkit::Gtk3:
                                     return std::string("Gtk3");
                                 case Toolkit::Qt6:
                                     return std::string("Qt6");
                                 case Toolkit::Terminal:
                                     break;
                             }
                             return std::string("Terminal");
                         });
