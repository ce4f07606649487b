#include "integration/ui/UiTestSupport.h"
#include "support/FakeActivationPolicy.h"
#include "support/FakeFnKeySetting.h"
#include "support/FakeLoginItemService.h"
#include "support/InMemoryDefaultsStore.h"

#include "models/AppSettings.h"
#include "services/hotkey/HotkeyUtils.h"
#include "views/settings/sections/GeneralSettingsContent.h"
#include "views/settings/sections/HomeSettingsContent.h"
#include "views/settings/sections/ModesSettingsContent.h"
#include "views/settings/sections/SystemSettingsContent.h"
#include "views/Translations.h"
#include "views/widgets/ClampedTextLabel.h"
#include "views/widgets/KeyCap.h"
#include "views/widgets/KeyPill.h"
#include "views/widgets/PillButton.h"
#include "views/widgets/QuilloToggleStyle.h"
#include "views/widgets/SegmentedControl.h"
#include "views/widgets/SettingsDivider.h"
#include "views/widgets/SettingsRow.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace {

class SettingsSectionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        store().clear();
        Translations::install(QStringLiteral("en"));
    }

    static InMemoryDefaultsStore& store() { return InMemoryDefaultsStore::sharedForTests(); }
    static AppSettings& settings() { return AppSettings::shared(); }

    // A dictation at noon local time, `daysAgo` days before a fixed day.
    static DictationEntry entry(int daysAgo, int minute, const QString& text = "Hello") {
        const QDateTime at(QDate(2026, 3, 20).addDays(-daysAgo), QTime(12, minute));
        return {text, DictationEntry::timestampFrom(at), 1, "email"};
    }
    static void storeHistory(const QList<DictationEntry>& oldestFirst) {
        for (const auto& each : oldestFirst)
            settings().addDictation(each);
    }

    // The key caps a section shows outside its hotkey field.
    template <typename Cap>
    static QStringList capTexts(QWidget* parent, const QWidget* except = nullptr) {
        QStringList texts;
        for (auto* cap : parent->findChildren<Cap*>()) {
            if (!except || !except->isAncestorOf(cap))
                texts << cap->text();
        }
        return texts;
    }

    template <typename Widget>
    void show(Widget* widget) {
        widget->resize(700, 900);
        widget->show();
        holder.reset(widget);
    }

    std::unique_ptr<QWidget> holder;
};

TEST_F(SettingsSectionsTest, HomeWithoutHistoryShowsTheGuideWithTheHotkeyAndTheEmptyCard) {
    auto* home = new HomeSettingsContent(settings());
    show(home);
    EXPECT_NE(home->findChild<QWidget*>("noHistoryCard"), nullptr);
    EXPECT_EQ(home->findChildren<QWidget*>("historyCard").size(), 0);
    QWidget* guide = home->findChild<QWidget*>("guideCard");
    EXPECT_EQ(capTexts<KeyCap>(guide), (QStringList{"Alt", "Space"}));

    settings().setHotkeyKeyCode(63);
    settings().setHotkeyModifiers(0);
    EXPECT_EQ(capTexts<KeyCap>(guide), QStringList{"Fn"});
}

TEST_F(SettingsSectionsTest, HomeShowsTheNewestThirtyGroupedByDayWithDividersBetweenRows) {
    QList<DictationEntry> oldestFirst;
    for (int day = 14; day >= 0; --day) {
        for (int minute = 0; minute < 3; ++minute)
            oldestFirst.append(entry(day, minute));
    }
    ASSERT_EQ(oldestFirst.size(), 45);
    storeHistory(oldestFirst);

    auto* home = new HomeSettingsContent(settings());
    show(home);
    const auto cards = home->findChildren<QWidget*>("historyCard");
    ASSERT_EQ(cards.size(), 10);  // the newest 30 entries cover ten days
    EXPECT_EQ(home->findChildren<QWidget*>("historyRow").size(), 30);
    for (QWidget* card : cards) {
        EXPECT_EQ(card->findChildren<QWidget*>("historyRow").size(), 3);
        EXPECT_EQ(card->findChildren<SettingsDivider*>().size(), 2) << "none after the last row";
    }
    const auto days = home->findChildren<QLabel*>("historyDay");
    ASSERT_EQ(days.size(), 10);
    EXPECT_EQ(days.first()->text(), QLocale().toString(QDate(2026, 3, 20), QLocale::LongFormat));
}

TEST_F(SettingsSectionsTest, ADayInterruptedByAnotherDayFormsTwoGroups) {
    const auto groups =
        HomeSettingsContent::groupedDictations({entry(0, 5), entry(1, 0), entry(0, 1)});
    ASSERT_EQ(groups.size(), 3);
    EXPECT_EQ(groups[0].first, groups[2].first);
    EXPECT_NE(groups[0].first, groups[1].first);

    ClampedTextLabel text(QString("word ").repeated(200), 2);
    const auto lines = text.visibleLines(300);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines.last().endsWith(QChar(0x2026)));
}

TEST_F(SettingsSectionsTest, GeneralShowsTheHandsFreeCapsOfTheCurrentHotkey) {
    auto* general = new GeneralSettingsContent(settings(), {});
    show(general);
    EXPECT_EQ(capTexts<KeyPill>(general, general->hotkeyField()), (QStringList{"Alt", "Space"}));
    EXPECT_EQ(general->findChild<QLabel*>("handsFreeTimes")->text(), "×2");
    EXPECT_FALSE(general->restartCard()->isVisible());

    settings().setHotkeyKeyCode(63);
    settings().setHotkeyModifiers(0);
    EXPECT_EQ(capTexts<KeyPill>(general, general->hotkeyField()), QStringList{"Fn"});
}

// On a desktop where no application sees Fn (X11), the section says so; elsewhere it does not.
TEST_F(SettingsSectionsTest, GeneralSaysWhenFnCannotBeAHotkey) {
    FakeFnKeySetting fnKey;
    HotkeyUtils::installFnKeySetting(&fnKey);
    fnKey.usable = false;
    auto* general = new GeneralSettingsContent(settings(), {});
    show(general);
    auto* note = general->findChild<QLabel*>("fnUnavailableNote");
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->text(), qtTrId("general.fn_unavailable"));

    fnKey.usable = true;
    show(new GeneralSettingsContent(settings(), {}));
    EXPECT_EQ(holder->findChild<QLabel*>("fnUnavailableNote"), nullptr);
    HotkeyUtils::installFnKeySetting(nullptr);
}

class SystemSectionTest : public SettingsSectionsTest {
protected:
    SystemSettingsContent* openSection() {
        auto* system = new SystemSettingsContent(settings(), &loginItems, &activationPolicy);
        show(system);
        return system;
    }
    FakeLoginItemService loginItems;
    FakeActivationPolicy activationPolicy;
};

TEST_F(SystemSectionTest, TaskbarSwitchIsOnWhenFreshAndOffStoresFalseAndHidesTheWindows) {
    auto* system = openSection();
    EXPECT_TRUE(system->showInDockSwitch()->isChecked());

    QTest::mouseClick(system->showInDockSwitch(), Qt::LeftButton);
    EXPECT_EQ(activationPolicy.history, QList{ActivationPolicy::Policy::accessory});
    ASSERT_TRUE(store().contains(AppSettings::Keys::showInDock));
    EXPECT_FALSE(store().boolean(AppSettings::Keys::showInDock));

    EXPECT_FALSE(openSection()->showInDockSwitch()->isChecked()) << "read back when shown";
}

TEST_F(SystemSectionTest, LaunchAtLoginShowsTheServiceStatusNotThePreference) {
    settings().setLaunchAtLogin(false);
    loginItems.currentStatus = LoginItemService::Status::enabled;
    auto* system = openSection();
    EXPECT_TRUE(system->launchAtLoginSwitch()->isChecked());

    // A refused change is not reported; the switch keeps the user's choice until shown again.
    loginItems.refuse = true;
    QTest::mouseClick(system->launchAtLoginSwitch(), Qt::LeftButton);
    EXPECT_EQ(loginItems.unregisterCount, 1);
    EXPECT_FALSE(system->launchAtLoginSwitch()->isChecked());
    EXPECT_TRUE(openSection()->launchAtLoginSwitch()->isChecked());
    EXPECT_FALSE(settings().launchAtLogin());
}

TEST_F(SystemSectionTest, LanguageChoicesStoreTheirValues) {
    settings().setWhisperLanguage("de");
    auto* system = openSection();
    QComboBox* language = system->whisperLanguageChoice();
    EXPECT_EQ(language->currentText(), "Deutsch");

    QTest::keyClick(language, Qt::Key_Home);
    EXPECT_EQ(language->currentText(), "Auto-Detect");
    EXPECT_EQ(settings().whisperLanguage(), "auto");
    for (int i = 0; i < 8; ++i)
        QTest::keyClick(language, Qt::Key_Down);
    EXPECT_EQ(language->currentText(), "日本語");
    EXPECT_EQ(settings().whisperLanguage(), "ja");

    QTest::keyClick(system->appLanguageChoice(), Qt::Key_End);
    EXPECT_EQ(settings().appLanguage(), "nl");

    QTest::mouseClick(system->soundSwitch(), Qt::LeftButton);
    EXPECT_EQ(settings().playSoundOnComplete(), system->soundSwitch()->isChecked());
}

class ModesSectionTest : public SettingsSectionsTest {
protected:
    void SetUp() override {
        SettingsSectionsTest::SetUp();
        modes = new ModesSettingsContent(settings());
        show(modes);
    }
    void clickEdit(DictationMode mode) {
        QTest::mouseClick(modes->card(mode).edit, Qt::LeftButton);
    }
    bool editorOpen(DictationMode mode) const { return modes->card(mode).editorFrame->isVisible(); }

    ModesSettingsContent* modes = nullptr;
};

TEST_F(ModesSectionTest, EveryModeIsChoosableButRawHasNoInstructionsCard) {
    SegmentedControl* choice = modes->modeChoice();
    ASSERT_EQ(choice->count(), 5);
    EXPECT_EQ(choice->value(), settings().selectedModeRaw());
    QTest::mouseClick(choice, Qt::LeftButton, {}, choice->segmentRect(4).center());
    EXPECT_EQ(settings().selectedModeRaw(), "raw");
    EXPECT_EQ(modes->card(DictationMode::raw).edit, nullptr);
    EXPECT_EQ(modes->findChild<QWidget*>("modeCard_raw"), nullptr);
}

TEST_F(ModesSectionTest, OneEditorAtATimeAndResetClosesTheEditedOne) {
    clickEdit(DictationMode::email);
    EXPECT_TRUE(editorOpen(DictationMode::email));
    EXPECT_EQ(modes->card(DictationMode::email).edit->text(), qtTrId("modes.done"));
    clickEdit(DictationMode::chat);
    EXPECT_FALSE(editorOpen(DictationMode::email));
    EXPECT_TRUE(editorOpen(DictationMode::chat));

    settings().setCustomPrompt("Be brief.", DictationMode::chat);
    ASSERT_TRUE(modes->card(DictationMode::chat).reset->isVisible());
    QTest::mouseClick(modes->card(DictationMode::chat).reset, Qt::LeftButton);
    EXPECT_TRUE(settings().customPrompt(DictationMode::chat).isEmpty());
    EXPECT_FALSE(editorOpen(DictationMode::chat));
    EXPECT_EQ(modes->editingMode(), std::nullopt);
}

TEST_F(ModesSectionTest, EditsAreStoredAtOnceAndEmptyingRemovesTheCustomPrompt) {
    const auto parts = modes->card(DictationMode::notes);
    EXPECT_FALSE(parts.badge->isVisible());
    EXPECT_FALSE(parts.reset->isVisible());
    clickEdit(DictationMode::notes);
    EXPECT_EQ(parts.editor->toPlainText(), DictationMode(DictationMode::notes).systemPrompt());

    parts.editor->moveCursor(QTextCursor::End);
    QTest::keyClick(parts.editor, Qt::Key_X, Qt::NoModifier);
    EXPECT_EQ(settings().customPrompt(DictationMode::notes),
              DictationMode(DictationMode::notes).systemPrompt() + "x");
    EXPECT_TRUE(parts.badge->isVisible());
    EXPECT_TRUE(parts.reset->isVisible());

    parts.editor->selectAll();
    QTest::keyClick(parts.editor, Qt::Key_Delete);
    EXPECT_TRUE(settings().customPrompt(DictationMode::notes).isEmpty());
    EXPECT_FALSE(store().contains(QString(AppSettings::Keys::customPromptPrefix) + "notes"));
    EXPECT_FALSE(parts.badge->isVisible());
    // The emptied editor stays empty while it is open, so that a new prompt can be typed.
    EXPECT_EQ(parts.editor->toPlainText(), "");
    QTest::keyClicks(parts.editor, "Be brief.");
    EXPECT_EQ(parts.editor->toPlainText(), "Be brief.");
    EXPECT_EQ(settings().customPrompt(DictationMode::notes), "Be brief.");
    EXPECT_TRUE(parts.badge->isVisible());
}

TEST_F(ModesSectionTest, AnEditorEmptiedOrLeftBlankShowsTheBuiltInPromptWhenOpenedAgain) {
    const auto parts = modes->card(DictationMode::chat);
    clickEdit(DictationMode::chat);
    parts.editor->selectAll();
    QTest::keyClicks(parts.editor, "  ");
    QTest::keyClick(parts.editor, Qt::Key_Return);
    QTest::keyClicks(parts.editor, " ");
    EXPECT_EQ(parts.editor->toPlainText(), "  \n ") << "white space is not replaced while typing";
    EXPECT_TRUE(settings().customPrompt(DictationMode::chat).isEmpty());
    EXPECT_FALSE(parts.reset->isVisible());

    clickEdit(DictationMode::chat);
    EXPECT_FALSE(editorOpen(DictationMode::chat));
    clickEdit(DictationMode::chat);
    EXPECT_EQ(parts.editor->toPlainText(), DictationMode(DictationMode::chat).systemPrompt());
    EXPECT_TRUE(settings().customPrompt(DictationMode::chat).isEmpty()) << "opening stores nothing";
}

}  // namespace
