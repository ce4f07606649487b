#include "platform/wayland/PortalRemoteDesktopKeystrokeSender.h"
#include "support/ChildProcess.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/KWinTestSession.h"
#include "support/X11TestClient.h"
#include "support/RequireEnvironment.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

using namespace std::chrono_literals;

namespace {

const QString caption = QStringLiteral("Quillo paste target");

// wl-copy forks: it and the field are ended with their process groups.
const ChildOptions inOwnGroup{.ownProcessGroup = true};

class PortalPasteTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ENVIRONMENT(KWinTestSession::isRunning(), "headless KWin (scripts/with-kwin.sh)");
    }
    // A native Wayland text field of another process, with the keyboard focus.
    void openFocusedField() {
        field = std::make_unique<ChildProcess>(
            QStringLiteral(QUILLO_BINARY_DIR "/tests/wayland_text_field_child"),
            QStringList{caption}, inOwnGroup);
        ASSERT_TRUE(field->waitForLine(QStringLiteral("shown"), 5s));
        ASSERT_TRUE(KWinTestSession::activateWindow(caption));
        ASSERT_TRUE(field->waitForLine(QStringLiteral("focused"), 5s));
    }

    InMemoryDefaultsStore store;
    std::unique_ptr<ChildProcess> field;
};

TEST_F(PortalPasteTest, PasteChordReachesANativeWaylandTextFieldOfAnotherProcess) {
    ASSERT_NO_FATAL_FAILURE(openFocusedField());
    // What the paste brings: put on the clipboard by another client, kept offered by it.
    ChildProcess copy(QStringLiteral("wl-copy"),
                      {QStringLiteral("--foreground"), QStringLiteral("dictated words ")},
                      inOwnGroup);
    runEventLoopFor(300ms);

    PortalRemoteDesktopKeystrokeSender sender(store);
    ASSERT_TRUE(waitUntil([&] { return sender.isReady(); }, KWinTestSession::portalStart))
        << "the RemoteDesktop session did not start";
    EXPECT_EQ(sender.currentModifiers(), 0u);
    EXPECT_EQ(sender.chordForFocusedWindow(), PasteChord::ControlV)
        << "Wayland does not tell which window has the focus";
    ASSERT_EQ(sender.postPasteChord(PasteChord::ControlV), KeystrokeSender::Result::Sent);
    EXPECT_TRUE(field->waitForLine(QStringLiteral("text dictated words ")));
}

// Alt still held from the hotkey would make the chord Alt+Control+V, which a text field does
// not take for paste: the sender lifts it around the chord.
TEST_F(PortalPasteTest, AHeldModifierIsLiftedAroundTheChord) {
    ASSERT_NO_FATAL_FAILURE(openFocusedField());
    ChildProcess copy(QStringLiteral("wl-copy"),
                      {QStringLiteral("--foreground"), QStringLiteral("held words")}, inOwnGroup);
    runEventLoopFor(300ms);
    FakeInputKeyboard keyboard(QStringLiteral(QUILLO_BINARY_DIR "/tests/kwin-fake-input"));
    ASSERT_TRUE(keyboard.isReady());
    ASSERT_TRUE(keyboard.press(PortalRemoteDesktopKeystrokeSender::evdevLeftAlt));
    runEventLoopFor(200ms);

    PortalRemoteDesktopKeystrokeSender sender(
        store, [] { return KeystrokeSender::Modifiers(KeystrokeSender::Option); });
    ASSERT_TRUE(waitUntil([&] { return sender.isReady(); }, KWinTestSession::portalStart));
    ASSERT_EQ(sender.postPasteChord(PasteChord::ControlV), KeystrokeSender::Result::Sent);
    EXPECT_TRUE(field->waitForLine(QStringLiteral("text held words")))
        << field->lines().join(QLatin1Char('|')).toStdString();
    keyboard.release(PortalRemoteDesktopKeystrokeSender::evdevLeftAlt);
}

TEST_F(PortalPasteTest, TypedTextReachesTheFocusedField) {
    ASSERT_NO_FATAL_FAILURE(openFocusedField());

    PortalRemoteDesktopKeystrokeSender sender(store);
    ASSERT_TRUE(waitUntil([&] { return sender.isReady(); }, KWinTestSession::portalStart));
    ASSERT_TRUE(sender.typeText(QStringLiteral("Hi, 42!")));
    EXPECT_TRUE(field->waitForLine(QStringLiteral("text Hi, 42!")))
        << field->lines().join(QLatin1Char('|')).toStdString();
}

// Control characters in a server's text would be pressed as keys (here BackSpace and Delete would
// eat letters, Escape and a final Return act on the window); they are dropped.
TEST_F(PortalPasteTest, ControlCharactersInTypedTextPressNoKeys) {
    ASSERT_NO_FATAL_FAILURE(openFocusedField());

    PortalRemoteDesktopKeystrokeSender sender(store);
    ASSERT_TRUE(waitUntil([&] { return sender.isReady(); }, KWinTestSession::portalStart));
    ASSERT_TRUE(
        sender.typeText(QStringLiteral("ab\b\x1b"
                                       "c\x7f\r\n")));
    ASSERT_TRUE(sender.typeText(QStringLiteral("d")));
    EXPECT_TRUE(field->waitForLine(QStringLiteral("text abcd")))
        << field->lines().join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(field->lines().contains(QStringLiteral("return")))
        << field->lines().join(QLatin1Char('|')).toStdString();
}

// The portal's sessions end with the portal: a new one starts by itself and keys go out again.
TEST_F(PortalPasteTest, ARestartedPortalGetsANewSession) {
    ASSERT_NO_FATAL_FAILURE(openFocusedField());
    PortalRemoteDesktopKeystrokeSender sender(store);
    int sessions = 0;
    QObject::connect(&sender, &PortalRemoteDesktopKeystrokeSender::ready, [&] { ++sessions; });
    ASSERT_TRUE(waitUntil([&] { return sessions == 1; }, KWinTestSession::portalStart));

    ASSERT_TRUE(KWinTestSession::killPortal());
    ASSERT_TRUE(waitUntil([&] { return sessions == 2; }, 15s));
    ASSERT_TRUE(sender.isReady());
    ASSERT_TRUE(sender.typeText(QStringLiteral("again")));
    EXPECT_TRUE(field->waitForLine(QStringLiteral("text again")))
        << field->lines().join(QLatin1Char('|')).toStdString();
}

TEST_F(PortalPasteTest, NothingIsPostedBeforeTheSessionStarted) {
    PortalRemoteDesktopKeystrokeSender sender(store);
    // Asked at once, before the portal answered.
    EXPECT_FALSE(sender.isReady());
    EXPECT_EQ(sender.postPasteChord(PasteChord::ControlV), KeystrokeSender::Result::NotSent);
    EXPECT_TRUE(waitUntil([&] { return sender.isReady(); }, KWinTestSession::portalStart));
}

}  // namespace
