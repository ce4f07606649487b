#include "platform/x11/X11WindowFocus.h"
#include "support/ChildProcess.h"
#include "support/EventLoop.h"
#include "support/RequireEnvironment.h"

#include <QStandardPaths>

#include <qcoro/qcorotask.h>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

using namespace std::chrono_literals;

namespace {

// A property of the root window, as a window id; none when unset.
std::optional<xcb_window_t> rootWindowProperty(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    if (!atom) {
        return std::nullopt;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1),
        nullptr);
    std::free(atom);
    std::optional<xcb_window_t> window;
    if (reply && xcb_get_property_value_length(reply) >= 4) {
        window = *static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
    }
    std::free(reply);
    return window;
}

bool isViewable(xcb_connection_t* connection, xcb_window_t window) {
    xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr);
    const bool viewable = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return viewable;
}

// A private display with openbox, a window manager that follows the EWMH as the desktops'
// own do, and two top-level windows of another client on it.
class WindowFocusUnderAWindowManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ENVIRONMENT(!QStandardPaths::findExecutable("Xvfb").isEmpty() &&
                                !QStandardPaths::findExecutable("openbox").isEmpty(),
                            "Xvfb and openbox (installed by scripts/setup.sh)");
        xvfb = std::make_unique<ChildProcess>(
            "Xvfb",
            QStringList{"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"});
        const std::optional<QString> number = xvfb->waitForLineStartingWith({});
        ASSERT_TRUE(number) << "Xvfb did not start";
        display = ":" + number->trimmed().toLatin1();
        ChildOptions options;
        options.environment.insert("DISPLAY", QString::fromLatin1(display));
        // Its start-up command runs once it manages windows: a window mapped while it starts
        // up is never managed.
        windowManager = std::make_unique<ChildProcess>(
            "openbox", QStringList{"--sm-disable", "--startup", "echo openbox-ready"}, options);
        ASSERT_TRUE(windowManager->waitForLine("openbox-ready")) << "openbox did not start";
        connection = xcb_connect(display.constData(), nullptr);
        ASSERT_EQ(xcb_connection_has_error(connection), 0);
        first = openWindow();
        second = openWindow();
    }
    void TearDown() override {
        if (connection) {
            xcb_disconnect(connection);
        }
    }

    xcb_window_t openWindow() {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        const xcb_window_t window = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 200, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        // WM_HINTS with the input hint set: the window takes the keyboard focus.
        const quint32 hints[9] = {1, 1, 0, 0, 0, 0, 0, 0, 0};
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_HINTS,
                            XCB_ATOM_WM_HINTS, 32, 9, hints);
        xcb_map_window(connection, window);
        xcb_flush(connection);
        EXPECT_TRUE(waitUntil([&] { return isViewable(connection, window); }, 5s));
        return window;
    }

    bool focus(X11WindowFocus& windows, xcb_window_t window) {
        return QCoro::waitFor(windows.focus(window));
    }

    std::unique_ptr<ChildProcess> xvfb;
    std::unique_ptr<ChildProcess> windowManager;
    QByteArray display;
    xcb_connection_t* connection = nullptr;
    xcb_window_t first = 0;
    xcb_window_t second = 0;
};

}  // namespace

// Under a window manager the active window is its word, and asking it as a pager would moves
// the focus; a window that is gone is refused without waiting out the budget.
TEST_F(WindowFocusUnderAWindowManagerTest, TheActiveWindowIsReadAndMovedAndAGoneOneRefused) {
    X11WindowFocus windows(display);
    ASSERT_TRUE(focus(windows, second));
    EXPECT_EQ(windows.focusedWindow(), second);

    ASSERT_TRUE(focus(windows, first));
    EXPECT_EQ(windows.focusedWindow(), first);
    EXPECT_EQ(rootWindowProperty(connection, "_NET_ACTIVE_WINDOW"), first);

    xcb_destroy_window(connection, second);
    xcb_flush(connection);
    EXPECT_FALSE(focus(windows, second));
    EXPECT_EQ(windows.focusedWindow(), first);
}
