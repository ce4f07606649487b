#include "platform/wayland/GnomeAccelerator.h"

#include <gtest/gtest.h>

namespace {
constexpr quint32 space = 49, d = 2, f5 = 96, returnKey = 36, rightOption = 61, fn = 63;
constexpr quint32 command = 256, shift = 512, option = 2048, control = 4096;
}  // namespace

TEST(GnomeAccelerator, HotkeysAreSpelledAsGnomesSettingsSpellThem) {
    EXPECT_EQ(GnomeAccelerator::fromHotkey(space, option), QStringLiteral("<Alt>space"));
    EXPECT_EQ(GnomeAccelerator::fromHotkey(d, control | shift),
              QStringLiteral("<Control><Shift>d"));
    EXPECT_EQ(GnomeAccelerator::fromHotkey(d, command | shift | option | control),
              QStringLiteral("<Control><Alt><Shift><Super>d"));
    EXPECT_EQ(GnomeAccelerator::fromHotkey(f5, 0), QStringLiteral("F5")) << "a function key alone";
    EXPECT_EQ(GnomeAccelerator::fromHotkey(returnKey, command), QStringLiteral("<Super>Return"));
}

TEST(GnomeAccelerator, KeysNoBindingCanHoldHaveNoSpelling) {
    EXPECT_TRUE(GnomeAccelerator::fromHotkey(rightOption, 0).isEmpty()) << "a lone modifier";
    EXPECT_TRUE(GnomeAccelerator::fromHotkey(fn, control).isEmpty()) << "Fn has no key sym";
    EXPECT_TRUE(GnomeAccelerator::fromHotkey(9999, option).isEmpty());
}

TEST(GnomeAccelerator, SpellingsCompareEqualExactlyWhenTheyNameTheSameKeys) {
    const QString altSpace = GnomeAccelerator::normalised(QStringLiteral("<Alt>space"));
    EXPECT_FALSE(altSpace.isEmpty());
    EXPECT_EQ(GnomeAccelerator::normalised(QStringLiteral("<Mod1>space")), altSpace);
    EXPECT_EQ(GnomeAccelerator::normalised(QStringLiteral("<alt>Space")), altSpace);
    EXPECT_EQ(GnomeAccelerator::normalised(QStringLiteral("<Primary><Shift>d")),
              GnomeAccelerator::normalised(QStringLiteral("<Shift><Control>D")));
    EXPECT_EQ(GnomeAccelerator::normalised(QStringLiteral("<Ctrl><Super>q")),
              GnomeAccelerator::normalised(QStringLiteral("<Mod4><Control>q")));

    EXPECT_NE(GnomeAccelerator::normalised(QStringLiteral("<Super>space")), altSpace);
    EXPECT_NE(GnomeAccelerator::normalised(QStringLiteral("space")), altSpace);
    EXPECT_NE(GnomeAccelerator::normalised(QStringLiteral("<Alt><Shift>space")), altSpace);
    EXPECT_TRUE(GnomeAccelerator::normalised(QString()).isEmpty());
    EXPECT_TRUE(GnomeAccelerator::normalised(QStringLiteral("disabled")).isEmpty());
    EXPECT_TRUE(GnomeAccelerator::normalised(QStringLiteral("<Alt>")).isEmpty());
}
