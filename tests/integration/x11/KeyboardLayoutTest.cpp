#include "platform/x11/X11KeyboardLayout.h"
#include "services/hotkey/HotkeyUtils.h"
#include "support/RequireEnvironment.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

bool setLayout(const QString& layout) {
    return QProcess::execute("setxkbmap", {"-display", qEnvironmentVariable("DISPLAY"), layout}) == 0;
}

TEST(KeyboardLayout, KeyZeroIsNamedAfterTheCurrentLayout) {
    REQUIRE_ENVIRONMENT(RequireEnvironment::hasXServer(),
                        "the X display of scripts/with-test-env.sh");
    X11KeyboardLayout layout;
    HotkeyUtils::installKeyboardLayout(&layout);

    ASSERT_TRUE(setLayout("us"));
    EXPECT_EQ(HotkeyUtils::keyName(0), "A");
    EXPECT_EQ(HotkeyUtils::keyName(12), "Q");
    // Return types a control character: the fixed table names it; the layout gives nothing.
    EXPECT_EQ(layout.characterForKeyCode(36), std::nullopt);
    EXPECT_EQ(HotkeyUtils::keyName(63), "Fn");
    EXPECT_EQ(HotkeyUtils::keyName(200), "Key 200");

    ASSERT_TRUE(setLayout("fr"));
    const QString underFrench = HotkeyUtils::keyName(0);
    ASSERT_TRUE(setLayout("us"));
    HotkeyUtils::installKeyboardLayout(nullptr);

    EXPECT_EQ(underFrench, "Q");
}

}  // namespace
