#include "SwaySession.h"

#include "platform/wayland/DataControlPasteboard.h"
#include "platform/wayland/VirtualKeyboardKeystrokeSender.h"
#include "platform/wayland/WaylandConnection.h"
#include "support/RequireEnvironment.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

TEST(VirtualKeyboardPaste, TheFirstChordPastesIntoANativeWaylandTextFieldWithNoKeyLost) {
    REQUIRE_ENVIRONMENT(RequireEnvironment::hasSway(), "the headless sway of scripts/with-sway.sh");
    WaylandConnection connection(SwaySession::socket());
    DataControlPasteboard pasteboard(connection);
    VirtualKeyboardKeystrokeSender keystrokes(connection);
    ASSERT_TRUE(keystrokes.isAvailable()) << "sway offers zwp_virtual_keyboard_manager_v1";
    EXPECT_TRUE(keystrokes.keymapText().contains("xkb_keycodes"));

    ChildProcess field = SwaySession::textField();
    ASSERT_TRUE(field.waitForLine("focused")) << field.lines().join('|').toStdString();

    pasteboard.offerText(QStringLiteral("Hallo Welt "));
    EXPECT_EQ(keystrokes.currentModifiers(), 0u);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(keystrokes.chordForFocusedWindow(), PasteChord::ControlV)
        << "Wayland does not tell which window has the focus";
    ASSERT_EQ(keystrokes.postPasteChord(PasteChord::ControlV), KeystrokeSender::Result::Sent);
    EXPECT_EQ(keystrokes.currentModifiers(), 0u) << "the chord releases what it pressed";
    ASSERT_TRUE(field.waitForLine("text Hallo Welt ")) << field.lines().join('|').toStdString();
    std::printf("[ figures  ] chord -> text in the field: %lld ms\n",
                static_cast<long long>(clock.elapsed()));
    EXPECT_TRUE(pasteboard.offeredTextFetched());

    pasteboard.offerText(QStringLiteral("noch mehr"));
    ASSERT_EQ(keystrokes.postPasteChord(PasteChord::ControlV), KeystrokeSender::Result::Sent);
    EXPECT_TRUE(field.waitForLine("text Hallo Welt noch mehr"))
        << field.lines().join('|').toStdString();
}

TEST(VirtualKeyboardPaste, WithoutCompositorTheChordReportsFailure) {
    WaylandConnection connection("quillo-test-no-such-compositor");
    VirtualKeyboardKeystrokeSender keystrokes(connection);
    EXPECT_FALSE(keystrokes.isAvailable());
    EXPECT_EQ(keystrokes.postPasteChord(PasteChord::ControlV), KeystrokeSender::Result::NotSent)
        << "nothing went out, so the fallback may try";
    EXPECT_EQ(keystrokes.currentModifiers(), 0u);
}
