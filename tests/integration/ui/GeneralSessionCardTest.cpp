#include "support/InMemoryDefaultsStore.h"

#include "models/AppSettings.h"
#include "platform/SessionNotes.h"
#include "views/settings/sections/GeneralSettingsContent.h"

#include <QAbstractButton>
#include <QAccessible>
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

// GNOME: what the custom shortcut and the missing tray mean is said, and where the portal works
// the custom shortcut is one remembered choice, named for a screen reader.
TEST_F(GeneralSessionCardTest, GnomeSaysWhatItsRouteDoesAndOffersTheCustomShortcut) {
    SessionNotes::install({QStringLiteral("session.gnome.no_tray"),
                           QStringLiteral("session.choice.gnome_custom_shortcut")},
                          {});
    AppSettings& settings = AppSettings::shared();
    auto general = std::make_unique<GeneralSettingsContent>(settings, nullptr);
    auto* card = general->findChild<QWidget*>(QStringLiteral("sessionCard"));
    ASSERT_NE(card, nullptr);
    QStringList texts;
    for (auto* label : card->findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains(qtTrId("session.gnome.no_tray")));
    EXPECT_FALSE(texts.contains(QStringLiteral("session.choice.gnome_custom_shortcut")));

    auto* toggle = card->findChild<QAbstractButton*>(QStringLiteral("gnomeCustomShortcutToggle"));
    ASSERT_NE(toggle, nullptr);
    EXPECT_FALSE(toggle->isChecked()) << "the portal unless chosen";
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(toggle);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->text(QAccessible::Name), qtTrId("general.session.gnome_route"));
    toggle->click();
    EXPECT_TRUE(settings.gnomeCustomShortcut());
    auto again = std::make_unique<GeneralSettingsContent>(settings, nullptr);
    EXPECT_TRUE(again->findChild<QAbstractButton*>(QStringLiteral("gnomeCustomShortcutToggle"))
                    ->isChecked());
}
