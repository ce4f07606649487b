#include "platform/wayland/XdgShortcutTrigger.h"

#include <gtest/gtest.h>

namespace {

constexpr quint32 command = 256;
constexpr quint32 shift = 512;
constexpr quint32 option = 2048;
constexpr quint32 control = 4096;

TEST(XdgShortcutTriggerTest, ModifiersComeInTheFormatsOrderWhateverTheMask) {
    EXPECT_EQ(XdgShortcutTrigger::fromHotkey(2, command | shift | option | control),
              QStringLiteral("CTRL+ALT+SHIFT+LOGO+d"));
    EXPECT_EQ(XdgShortcutTrigger::fromHotkey(36, shift | control),
              QStringLiteral("CTRL+SHIFT+Return"));
    // Bits outside the four modifiers (Caps Lock 1024) are not part of a trigger. "Alt+Space"
    // would bind nothing on KDE: the modifier upper case, the keysym name as xkb has it.
    EXPECT_EQ(XdgShortcutTrigger::fromHotkey(49, option | 1024), QStringLiteral("ALT+space"));
}

TEST(XdgShortcutTriggerTest, KeysGoByPositionWithUsKeysymNames) {
    EXPECT_EQ(XdgShortcutTrigger::fromHotkey(0, control), QStringLiteral("CTRL+a"));
    EXPECT_EQ(XdgShortcutTrigger::fromHotkey(29, control), QStringLiteral("CTRL+0"));
    EXPECT_EQ(XdgShortcutTrigger::fromHotkey(50, command), QStringLiteral("LOGO+grave"));
    EXPECT_EQ(XdgShortcutTrigger::fromHotkey(122, 0), QStringLiteral("F1"));
    EXPECT_EQ(XdgShortcutTrigger::fromHotkey(111, shift), QStringLiteral("SHIFT+F12"));
    EXPECT_EQ(XdgShortcutTrigger::fromHotkey(116, 0), QStringLiteral("Prior"));
    EXPECT_EQ(XdgShortcutTrigger::fromHotkey(76, 0), QStringLiteral("KP_Enter"));
    EXPECT_EQ(XdgShortcutTrigger::fromHotkey(123, control), QStringLiteral("CTRL+Left"));
    // Space alone is a hotkey the field accepts.
    EXPECT_EQ(XdgShortcutTrigger::fromHotkey(49, 0), QStringLiteral("space"));
}

TEST(XdgShortcutTriggerTest, LoneModifiersFnAndUnknownKeysHaveNoTrigger) {
    // Left and right Option, Command, Shift, Control, Caps Lock, Fn.
    for (const quint32 key : {58u, 61u, 55u, 54u, 56u, 60u, 59u, 62u, 57u, 63u, 179u}) {
        EXPECT_EQ(XdgShortcutTrigger::fromHotkey(key, 0), std::nullopt) << key;
        EXPECT_EQ(XdgShortcutTrigger::fromHotkey(key, option), std::nullopt) << key;
    }
    EXPECT_EQ(XdgShortcutTrigger::fromHotkey(52, 0), std::nullopt);
    EXPECT_EQ(XdgShortcutTrigger::fromHotkey(9999, control), std::nullopt);
    EXPECT_TRUE(XdgShortcutTrigger::keyName(63).isEmpty());
}

}  // namespace
