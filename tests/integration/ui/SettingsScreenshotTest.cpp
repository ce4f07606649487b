#include "support/FakeActivationPolicy.h"
#include "support/FakeLoginItemService.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/TestArtifacts.h"

#include "models/AppSettings.h"
#include "views/settings/SettingsView.h"
#include "views/settings/SettingsWindowController.h"
#include "views/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QScrollArea>

#include <gtest/gtest.h>

namespace {

// Renders every section in the window, and its whole scrolling page, for review.
TEST(SettingsScreenshotTest, EverySectionRendersAtTheWindowSize) {
    InMemoryDefaultsStore::sharedForTests().clear();
    Translations::install(QStringLiteral("en"));
    AppSettings& settings = AppSettings::shared();
    const QDateTime now = QDateTime::currentDateTime();
    settings.addDictation({"Meeting moved to Thursday at ten, please bring the draft.",
                           DictationEntry::timestampFrom(now.addDays(-1)), 10, "email"});
    settings.addDictation({QString("A long dictation that goes on and on. ").repeated(8),
                           DictationEntry::timestampFrom(now.addSecs(-3600)), 64, "notes"});
    settings.addDictation({"Sounds good, see you there!", DictationEntry::timestampFrom(now), 5,
                           "chat"});
    settings.setCustomPrompt("Write like a pirate.", DictationMode::chat);

    FakeLoginItemService loginItems;
    FakeActivationPolicy policy;
    SettingsWindowController controller(settings, &loginItems, &policy);
    controller.show();
    for (SettingsSection section : SettingsSection::allCases()) {
        controller.view()->select(section);
        QCoreApplication::processEvents();
        const QImage shot = controller.window()->grab().toImage();
        EXPECT_EQ(shot.size(), QSize(860, 650) * controller.window()->devicePixelRatioF());
        const QString base = testArtifactPath("settings-" + section.rawValue());
        EXPECT_TRUE(shot.save(base + ".png"));
        QWidget* page = controller.view()->scrollArea()->widget();
        EXPECT_TRUE(page->grab().toImage().save(base + "-page.png"));
    }
}

}  // namespace
