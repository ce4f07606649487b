#include "services/HotkeyUtils.h"
#include "support/FakeFnKeySetting.h"
#include "support/FakeKeyboardLayout.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

class HotkeyUtilsTest : public ::testing::Test {
protected:
    void SetUp() override {
        layout.characters = {{0, "a"}, {12, "q"}};
        HotkeyUtils::installKeyboardLayout(&layout);
        HotkeyUtils::installFnKeySetting(&fnSetting);
    }
    void TearDown() override {
        HotkeyUtils::installKeyboardLayout(nullptr);
        HotkeyUtils::installFnKeySetting(nullptr);
    }

    FakeKeyboardLayout layout;
    FakeFnKeySetting fnSetting;
    LogCapture log;
};

TEST_F(HotkeyUtilsTest, KeyNamesComeFromTheTableThenTheLayoutThenTheNumber) {
    EXPECT_EQ(HotkeyUtils::keyName(54), "⌘");
    EXPECT_EQ(HotkeyUtils::keyName(55), "⌘");
    EXPECT_EQ(HotkeyUtils::keyName(63), "fn");
    EXPECT_EQ(HotkeyUtils::keyName(117), "Fwd Delete");
    EXPECT_EQ(HotkeyUtils::keyName(122), "F1");
    EXPECT_EQ(HotkeyUtils::keyName(111), "F12");
    EXPECT_EQ(HotkeyUtils::keyName(0), "A");
    EXPECT_EQ(HotkeyUtils::keyName(57), "Key 57");

    // The same key under another layout; an empty answer counts as none.
    layout.characters = {{0, "q"}, {57, ""}};
    EXPECT_EQ(HotkeyUtils::keyName(0), "Q");
    EXPECT_EQ(HotkeyUtils::keyName(57), "Key 57");
    HotkeyUtils::installKeyboardLayout(nullptr);
    EXPECT_EQ(HotkeyUtils::keyName(0), "Key 0");
}

TEST_F(HotkeyUtilsTest, PartsListModifiersInDisplayOrderThenTheKey) {
    EXPECT_EQ(HotkeyUtils::keyParts(49, 2048), QStringList({"⌥", "Space"}));
    EXPECT_EQ(HotkeyUtils::keyParts(49, 256 | 512 | 2048 | 4096), QStringList({"⌃", "⌥", "⇧", "⌘", "Space"}));
    EXPECT_EQ(HotkeyUtils::keyParts(0, 0), QStringList{"A"});
}

TEST_F(HotkeyUtilsTest, LoneModifierKeysAreLabelledWithTheModifierWord) {
    using Parts = QList<KeyPart>;
    EXPECT_EQ(HotkeyUtils::keyPartsWithLabels(61, 0), Parts({{"⌥", "Option"}}));
    EXPECT_EQ(HotkeyUtils::keyPartsWithLabels(63, 0), Parts({{"fn", "fn"}}));
    EXPECT_EQ(HotkeyUtils::keyPartsWithLabels(54, 0), Parts({{"⌘", "Command"}}));
    EXPECT_EQ(HotkeyUtils::keyPartsWithLabels(179, 0), Parts({{"Key 179", "Key 179"}}));
    EXPECT_EQ(HotkeyUtils::keyPartsWithLabels(61, 256), Parts({{"⌘", "Command"}, {"⌥", "⌥"}}));
    EXPECT_EQ(HotkeyUtils::keyPartsWithLabels(49, 2048), Parts({{"⌥", "Option"}, {"Space", "Space"}}));
}

TEST_F(HotkeyUtilsTest, CarbonModifiersKeepOnlyTheFourModifiers) {
    EXPECT_EQ(HotkeyUtils::carbonModifiers(0x100000 | 0x80000), 2304u);
    EXPECT_EQ(HotkeyUtils::carbonModifiers(0x800000), 0u);
    EXPECT_EQ(HotkeyUtils::carbonModifiers(0x10000 | 0x40000 | 0x20000), 4096u | 512u);
}

TEST_F(HotkeyUtilsTest, FnKeyIsMadeAvailableOnlyWhenItIsNotAlready) {
    fnSetting.value = 0;
    HotkeyUtils::ensureFnKeyAvailable();
    EXPECT_EQ(fnSetting.writeCount, 0);
    EXPECT_EQ(log.lines(), QStringList{"[HotkeyUtils] AppleFnUsageType already 0 (Do Nothing)"});

    log.clear();
    fnSetting.value.reset();
    HotkeyUtils::ensureFnKeyAvailable();
    EXPECT_EQ(fnSetting.writeCount, 1);
    EXPECT_EQ(log.lines(), QStringList{"[HotkeyUtils] Set AppleFnUsageType to 0 (Do Nothing) — was 2"});
}

}  // namespace
