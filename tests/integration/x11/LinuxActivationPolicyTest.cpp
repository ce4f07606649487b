#include "platform/x11/X11ActivationPolicy.h"
#include "support/RequireEnvironment.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

namespace {

xcb_connection_t* connection() {
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

xcb_atom_t atom(const char* name) {
    auto* reply = xcb_intern_atom_reply(
        connection(), xcb_intern_atom(connection(), 0, uint16_t(qstrlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return result;
}

QList<xcb_atom_t> netWmState(const QWidget& widget) {
    auto* reply = xcb_get_property_reply(
        connection(),
        xcb_get_property(connection(), 0, xcb_window_t(widget.winId()), atom("_NET_WM_STATE"),
                         XCB_ATOM_ATOM, 0, 64),
        nullptr);
    QList<xcb_atom_t> atoms;
    if (reply && reply->format == 32) {
        const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        for (int i = 0; i < xcb_get_property_value_length(reply) / 4; ++i) atoms << values[i];
    }
    free(reply);
    return atoms;
}

TEST(LinuxActivationPolicyTest, AccessoryWindowsSkipTaskbarAndPagerUntilRegularAgain) {
    REQUIRE_ENVIRONMENT(RequireEnvironment::hasXWindows(),
                        "the X display of scripts/with-test-env.sh");
    X11ActivationPolicy policy(ActivationPolicy::Policy::accessory);
    QWidget window;
    window.show();
    const auto shown = netWmState(window);
    EXPECT_TRUE(shown.contains(atom("_NET_WM_STATE_SKIP_TASKBAR")));
    EXPECT_TRUE(shown.contains(atom("_NET_WM_STATE_SKIP_PAGER")));

    policy.setPolicy(ActivationPolicy::Policy::regular);
    EXPECT_EQ(policy.policy(), ActivationPolicy::Policy::regular);
    EXPECT_FALSE(netWmState(window).contains(atom("_NET_WM_STATE_SKIP_TASKBAR")));

    QWidget later;
    later.show();
    EXPECT_FALSE(netWmState(later).contains(atom("_NET_WM_STATE_SKIP_TASKBAR")));
}

}  // namespace
