#include "services/hotkey/HotkeyUtils.h"
#include "support/FakeFnKeySetting.h"
#include "support/FakeKeyboardLayout.h"
#include "support/LogCapture.h"
#include "views/Translations.h"

#include <gtest/gtest.h>

namespace {

class HotkeyUtilsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Translations::install(QStringLiteral("en"));
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
    EXPECT_EQ(HotkeyUtils::keyName(117), "Delete");
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
    EXPECT_EQ(HotkeyUtils::keyParts(49, 2048), QStringList({"Alt", "Space"}));
    EXPECT_EQ(HotkeyUtils::keyParts(49, 256 | 512 | 2048 | 4096),
              QStringList({"Ctrl", "Alt", "Shift", "Super", "Space"}));
    EXPECT_EQ(HotkeyUtils::keyParts(0, 0), QStringList{"A"});
}

// A Linux desktop names each modifier key, left and right, by word; the stored codes stay.
TEST_F(HotkeyUtilsTest, EveryModifierKeyHasItsLinuxNameLeftAndRight) {
    using Parts = QList<KeyPart>;
    const QList<QPair<int, QString>> lone{
        {59, "Ctrl"},  {62, "Right Ctrl"},  {58, "Alt"},   {61, "AltGr"},
        {56, "Shift"}, {60, "Right Shift"}, {55, "Super"}, {54, "Right Super"},
        {63, "Fn"}};
    for (const auto& [code, name] : lone) {
        EXPECT_EQ(HotkeyUtils::keyPartsWithLabels(code, 0), Parts({{name, name}})) << code;
    }
    EXPECT_EQ(HotkeyUtils::keyPartsWithLabels(179, 0), Parts({{"Key 179", "Key 179"}}));
    EXPECT_EQ(HotkeyUtils::keyPartsWithLabels(61, 256), Parts({{"Super", "Super"}, {"AltGr", "AltGr"}}));
    EXPECT_EQ(HotkeyUtils::keyPartsWithLabels(49, 2048), Parts({{"Alt", "Alt"}, {"Space", "Space"}}));
    EXPECT_EQ(HotkeyUtils::modifierName(HotkeyUtils::controlMask), "Ctrl");
    EXPECT_EQ(HotkeyUtils::modifierName(1), QString());
}

TEST_F(HotkeyUtilsTest, KeyNamesFollowTheInterfaceLanguage) {
    Translations::install(QStringLiteral("de"));
    EXPECT_EQ(HotkeyUtils::keyParts(49, 4096 | 512 | 2048 | 256),
              QStringList({"Strg", "Alt", "Umschalt", "Super", "Leertaste"}));
    EXPECT_EQ(HotkeyUtils::keyName(61), "Alt Gr");
    EXPECT_EQ(HotkeyUtils::keyName(62), "Strg rechts");
    EXPECT_EQ(HotkeyUtils::keyName(60), "Umschalt rechts");
    EXPECT_EQ(HotkeyUtils::keyName(54), "Super rechts");
    EXPECT_EQ(HotkeyUtils::keyName(117), "Entf");
    Translations::install(QStringLiteral("en"));
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
