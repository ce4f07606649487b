#include "SwaySession.h"

#include "platform/wayland/DataControlPasteboard.h"
#include "platform/wayland/VirtualKeyboardKeystrokeSender.h"
#include "platform/wayland/WaylandConnection.h"
#include "support/RequireEnvironment.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A native Qt Wayland text field in another process; sway gives a new window the focus.
class TextField {
public:
    TextField() {
        process_.setProcessEnvironment(SwaySession::clientEnvironment());
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(QUILLO_BINARY_DIR "/tests/wayland_text_field_child"));
    }
    ~TextField() {
        process_.kill();
        process_.waitForFinished(2000);
    }
    bool waitForLine(const QByteArray& line,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        return waitUntil(
            [&] {
                output_ += process_.readAllStandardOutput();
                return output_.split('\n').contains(line);
            },
            timeout);
    }
    QByteArray output() const { return output_; }

private:
    QProcess process_;
    QByteArray output_;
};

}  // namespace

TEST(VirtualKeyboardPaste, TheFirstChordPastesIntoANativeWaylandTextFieldWithNoKeyLost) {
    REQUIRE_ENVIRONMENT(RequireEnvironment::hasSway(), "the headless sway of scripts/with-sway.sh");
    WaylandConnection connection(SwaySession::socket());
    DataControlPasteboard pasteboard(connection);
    VirtualKeyboardKeystrokeSender keystrokes(connection);
    ASSERT_TRUE(keystrokes.isAvailable()) << "sway offers zwp_virtual_keyboard_manager_v1";
    EXPECT_TRUE(keystrokes.keymapText().contains("xkb_keycodes"));

    TextField field;
    ASSERT_TRUE(field.waitForLine("focused")) << field.output().toStdString();

    pasteboard.offerText(QStringLiteral("Hallo Welt "));
    EXPECT_EQ(keystrokes.currentModifiers(), 0u);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(keystrokes.chordForFocusedWindow(), PasteChord::ControlV)
        << "Wayland does not tell which window has the focus";
    ASSERT_EQ(keystrokes.postPasteChord(PasteChord::ControlV), KeystrokeSender::Result::Sent);
    EXPECT_EQ(keystrokes.currentModifiers(), 0u) << "the chord releases what it pressed";
    ASSERT_TRUE(field.waitForLine("text Hallo Welt ")) << field.output().toStdString();
    std::printf("[ figures  ] chord -> text in the field: %lld ms\n",
                static_cast<long long>(clock.elapsed()));
    EXPECT_TRUE(pasteboard.offeredTextFetched());

    pasteboard.offerText(QStringLiteral("noch mehr"));
    ASSERT_EQ(keystrokes.postPasteChord(PasteChord::ControlV), KeystrokeSender::Result::Sent);
    EXPECT_TRUE(field.waitForLine("text Hallo Welt noch mehr")) << field.output().toStdString();
}

TEST(VirtualKeyboardPaste, WithoutCompositorTheChordReportsFailure) {
    WaylandConnection connection("quillo-test-no-such-compositor");
    VirtualKeyboardKeystrokeSender keystrokes(connection);
    EXPECT_FALSE(keystrokes.isAvailable());
    EXPECT_EQ(keystrokes.postPasteChord(PasteChord::ControlV), KeystrokeSender::Result::NotSent)
        << "nothing went out, so the fallback may try";
    EXPECT_EQ(keystrokes.currentModifiers(), 0u);
}
