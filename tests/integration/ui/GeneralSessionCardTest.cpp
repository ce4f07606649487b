#include "support/InMemoryDefaultsStore.h"

#include "models/AppSettings.h"
#include "platform/SessionNotes.h"
#include "views/settings/sections/GeneralSettingsContent.h"

#include <QLabel>

#include <gtest/gtest.h>

#include <memory>

namespace {

class GeneralSessionCardTest : public ::testing::Test {
protected:
    void SetUp() override { InMemoryDefaultsStore::sharedForTests().clear(); }
    void TearDown() override { SessionNotes::reset(); }

    static QStringList lines(int keyCode, int modifiers) {
        return {QStringLiteral("bind %1/%2 press").arg(keyCode).arg(modifiers),
                QStringLiteral("bind %1/%2 release").arg(keyCode).arg(modifiers)};
    }
};

}  // namespace

TEST_F(GeneralSessionCardTest, AnX11SessionShowsNoSessionCard) {
    auto general = std::make_unique<GeneralSettingsContent>(AppSettings::shared(), nullptr);
    EXPECT_EQ(general->findChild<QWidget*>(QStringLiteral("sessionCard")), nullptr);
}

TEST_F(GeneralSessionCardTest, TheBindingLinesFollowTheStoredHotkeyAndTheLimitsAreListed) {
    SessionNotes::install({QStringLiteral("session.limit.bindings")}, &lines);
    AppSettings& settings = AppSettings::shared();
    auto general = std::make_unique<GeneralSettingsContent>(settings, nullptr);
    auto* card = general->findChild<QWidget*>(QStringLiteral("sessionCard"));
    ASSERT_NE(card, nullptr);
    auto* bindings = card->findChild<QLabel*>(QStringLiteral("bindingLines"));
    ASSERT_NE(bindings, nullptr);
    EXPECT_EQ(bindings->text(), QStringLiteral("bind 49/2048 press\nbind 49/2048 release"));

    settings.setHotkeyKeyCode(0);
    settings.setHotkeyModifiers(256);
    EXPECT_EQ(bindings->text(), QStringLiteral("bind 0/256 press\nbind 0/256 release"));

    bool limitShown = false;
    for (auto* label : card->findChildren<QLabel*>()) {
        limitShown |= label->text() == qtTrId("session.limit.bindings");
    }
    EXPECT_TRUE(limitShown);
}

TEST_F(GeneralSessionCardTest, AHotkeyTheBindingsCannotCarrySaysSoInsteadOfLines) {
    SessionNotes::install({}, [](int, int) { return QStringList{}; });
    auto general = std::make_unique<GeneralSettingsContent>(AppSettings::shared(), nullptr);
    auto* bindings = general->findChild<QLabel*>(QStringLiteral("bindingLines"));
    ASSERT_NE(bindings, nullptr);
    EXPECT_EQ(bindings->text(), qtTrId("general.session.bindings_unavailable"));
}
