#include "platform/wayland/SwayBindings.h"

#include <gtest/gtest.h>

namespace {
constexpr int space = 49, a = 0, f5 = 96, returnKey = 36, rightOption = 61, fn = 63;
constexpr int command = 256, shift = 512, option = 2048, control = 4096;
}  // namespace

TEST(SwayBindings, TheDefaultHotkeyBindsPressAndReleaseOfTheGivenProgram) {
    EXPECT_EQ(
        SwayBindings::configLines(space, option),
        (QStringList{QStringLiteral("bindsym Mod1+space exec quillo --hotkey-press"),
                     QStringLiteral("bindsym --release Mod1+space exec quillo --hotkey-release")}));
    EXPECT_TRUE(SwayBindings::configLines(space, option, QStringLiteral("/usr/bin/quillo"))
                    .value(0)
                    .endsWith(QStringLiteral("exec /usr/bin/quillo --hotkey-press")))
        << "the program path as given";
}

TEST(SwayBindings, ModifiersAndKeysAreNamedAsSwayNamesThem) {
    EXPECT_EQ(SwayBindings::combination(a, command | shift), QStringLiteral("Shift+Mod4+a"));
    EXPECT_EQ(SwayBindings::combination(a, control | option | shift | command),
              QStringLiteral("Ctrl+Mod1+Shift+Mod4+a"));
    EXPECT_EQ(SwayBindings::combination(f5, 0), QStringLiteral("F5")) << "a function key alone";
    EXPECT_EQ(SwayBindings::combination(returnKey, control), QStringLiteral("Ctrl+Return"));
}

TEST(SwayBindings, KeysABindingCannotServeGiveNoLines) {
    EXPECT_TRUE(SwayBindings::configLines(rightOption, 0).isEmpty()) << "a lone modifier";
    EXPECT_TRUE(SwayBindings::configLines(fn, 0).isEmpty()) << "Fn has no key sym";
    EXPECT_TRUE(SwayBindings::configLines(-1, option).isEmpty()) << "a stored code out of range";
    EXPECT_TRUE(SwayBindings::configLines(9999, 0).isEmpty());
}
