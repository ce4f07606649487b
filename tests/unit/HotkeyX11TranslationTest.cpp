#include "platform/x11/WaylandSessionNotice.h"
#include "platform/x11/X11KeyCodes.h"

#include <gtest/gtest.h>

namespace {

TEST(HotkeyX11Translation, KeyCodesGoByPositionBothWays) {
    EXPECT_EQ(X11KeyCodes::toX(0), 38);    // A
    EXPECT_EQ(X11KeyCodes::toX(49), 65);   // Space
    EXPECT_EQ(X11KeyCodes::toX(58), 64);   // left Alt
    EXPECT_EQ(X11KeyCodes::toX(61), 108);  // right Alt
    EXPECT_EQ(X11KeyCodes::toX(63), std::nullopt);
    EXPECT_EQ(X11KeyCodes::toX(179), std::nullopt);
    for (int code = 0; code < 128; ++code) {
        if (const auto x = X11KeyCodes::toX(code)) {
            EXPECT_EQ(X11KeyCodes::fromX(*x), code) << code;
        }
    }
    EXPECT_EQ(X11KeyCodes::fromX(255), std::nullopt);
}

TEST(HotkeyX11Translation, ModifierMasksMapCommandToSuperAndOptionToAlt) {
    EXPECT_EQ(X11KeyCodes::toXModifiers(256), 0x40);
    EXPECT_EQ(X11KeyCodes::toXModifiers(512), 0x01);
    EXPECT_EQ(X11KeyCodes::toXModifiers(2048), 0x08);
    EXPECT_EQ(X11KeyCodes::toXModifiers(4096), 0x04);
    EXPECT_EQ(X11KeyCodes::fromXModifiers(0x4d | 0x02 | 0x10), 256u + 512u + 2048u + 4096u);
    EXPECT_EQ(X11KeyCodes::modifierFlagForX(108), 0x80000u);
    EXPECT_EQ(X11KeyCodes::modifierFlagForX(133), 0x100000u);
    EXPECT_EQ(X11KeyCodes::modifierFlagForX(66), 0u);  // Caps Lock
}

TEST(HotkeyX11Translation, WaylandNoticeOnlyForWaylandSessions) {
    EXPECT_EQ(WaylandSessionNotice::textFor("wayland"),
              "[Quillo] Wayland session: the global hotkey reaches Quillo only while an X11 application has "
              "the focus, until Wayland support lands");
    EXPECT_TRUE(WaylandSessionNotice::textFor("x11").isEmpty());
    EXPECT_TRUE(WaylandSessionNotice::textFor("").isEmpty());
}

}  // namespace
