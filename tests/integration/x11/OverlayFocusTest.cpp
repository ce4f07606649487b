#include "base/QtScheduler.h"
#include "platform/x11/X11CompositorStatus.h"
#include "support/FakeAudioLevelSource.h"
#include "views/overlay/OverlayWindowController.h"

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};

// A connection of the test's own, so it sees the server's state, not Qt's idea of it.
class XConnection {
public:
    XConnection() : connection_(xcb_connect(nullptr, &screen_)) {}
    ~XConnection() { xcb_disconnect(connection_); }
    bool ok() const { return !xcb_connection_has_error(connection_); }
    xcb_connection_t* get() const { return connection_; }
    int screen() const { return screen_; }

    xcb_window_t inputFocus() const {
        std::unique_ptr<xcb_get_input_focus_reply_t, FreeDeleter> reply(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
        return reply ? reply->focus : xcb_window_t(XCB_WINDOW_NONE);
    }

    bool isOverrideRedirect(WId window) const {
        const auto cookie =
            xcb_get_window_attributes(connection_, static_cast<xcb_window_t>(window));
        std::unique_ptr<xcb_get_window_attributes_reply_t, FreeDeleter> reply(
            xcb_get_window_attributes_reply(connection_, cookie, nullptr));
        return reply && reply->override_redirect;
    }

    xcb_screen_t* rootScreen() const {
        auto it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
        for (int i = 0; i < screen_ && it.rem; ++i) {
            xcb_screen_next(&it);
        }
        return it.data;
    }

private:
    int screen_ = 0;
    xcb_connection_t* connection_;
};

// Lets Qt send what it queued (a focus request after the map, say) and the server carry it out.
void settle() {
    QCoreApplication::processEvents();
    QGuiApplication::sync();
    QCoreApplication::processEvents();
    QGuiApplication::sync();
}

}  // namespace

TEST(OverlayFocus, ShowingTheOverlayLeavesTheKeyboardFocusWhereItWas) {
    XConnection x;
    ASSERT_TRUE(x.ok());

    QWidget window;
    auto* edit = new QLineEdit(&window);
    (new QVBoxLayout(&window))->addWidget(edit);
    window.resize(300, 80);
    window.show();
    window.activateWindow();
    edit->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const xcb_window_t focusBefore = x.inputFocus();
    ASSERT_NE(focusBefore, static_cast<xcb_window_t>(XCB_WINDOW_NONE));

    QtScheduler scheduler;
    X11CompositorStatus compositor;
    FakeAudioLevelSource levels(0.6f);
    OverlayWindowController overlay(scheduler, compositor);

    const auto recording = overlay.show(RecordingStateValue::holdRecording, &levels);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(overlay.panel()));
    settle();
    EXPECT_TRUE(x.isOverrideRedirect(overlay.panel()->winId()))
        << "no window manager handles the pill: every desktop, no taskbar entry";
    EXPECT_EQ(x.inputFocus(), focusBefore);

    // The words heard so far grow the pill under the waveform; the focus stays.
    overlay.showLiveText(recording, QStringLiteral("Dear Anna, the draft is ready"));
    settle();
    EXPECT_EQ(x.inputFocus(), focusBefore);
    EXPECT_EQ(overlay.panel()->width(), OverlayWindowController::liveTextWidth);

    overlay.show(RecordingStateValue::processing, nullptr);
    overlay.showError("Network error");
    settle();
    EXPECT_EQ(x.inputFocus(), focusBefore);
    EXPECT_TRUE(window.isActiveWindow());
    EXPECT_EQ(QApplication::focusWidget(), edit);

    // Typing still reaches the field the user was in.
    QTest::keyClicks(edit, "ok");
    EXPECT_EQ(edit->text(), "ok");
    overlay.dismiss();
}

TEST(OverlayFocus, CompositorStatusFollowsTheCompositingManagerSelection) {
    XConnection x;
    ASSERT_TRUE(x.ok());
    X11CompositorStatus status;
    EXPECT_FALSE(status.isCompositing()) << "a bare Xvfb runs no compositing manager";

    // Claim the selection the way a compositing manager does.
    const xcb_window_t owner = xcb_generate_id(x.get());
    xcb_screen_t* screen = x.rootScreen();
    xcb_create_window(x.get(), XCB_COPY_FROM_PARENT, owner, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(x.screen());
    std::unique_ptr<xcb_intern_atom_reply_t, FreeDeleter> atom(xcb_intern_atom_reply(
        x.get(), xcb_intern_atom(x.get(), 0, static_cast<uint16_t>(name.size()), name.constData()),
        nullptr));
    ASSERT_TRUE(atom);
    xcb_set_selection_owner(x.get(), owner, atom->atom, XCB_CURRENT_TIME);
    free(xcb_get_input_focus_reply(x.get(), xcb_get_input_focus(x.get()), nullptr));  // round trip

    EXPECT_TRUE(status.isCompositing());
    xcb_destroy_window(x.get(), owner);
    free(xcb_get_input_focus_reply(x.get(), xcb_get_input_focus(x.get()), nullptr));
    EXPECT_FALSE(status.isCompositing()) << "the selection goes with its owner";
}
