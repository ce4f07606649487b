#include "support/FakeActivationPolicy.h"
#include "support/FakeAudioSourceList.h"
#include "support/FakeLoginItemService.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/TestArtifacts.h"
#include "support/VisibleLayout.h"

#include "models/AppSettings.h"
#include "models/SpeechDeviceStatus.h"
#include "services/local/SpeechModelDownloader.h"
#include "views/settings/SettingsView.h"
#include "views/settings/SettingsWindowController.h"
#include "views/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QNetworkAccessManager>
#include <QScrollArea>

#include <gtest/gtest.h>

namespace {

// Renders every section in the window, and its whole scrolling page, for review, with the own
// route, vocabulary, microphones and history filled in, and checks what a person would see there in
// English and German: no section wider than its pane, and no control cut off at the window's
// default size.
TEST(SettingsScreenshotTest, EverySectionFitsItsPaneInEnglishAndGerman) {
    for (const QString& language : {QStringLiteral("en"), QStringLiteral("de")}) {
        SCOPED_TRACE(language.toStdString());
        InMemoryDefaultsStore::sharedForTests().clear();
        ASSERT_EQ(Translations::install(language), language);
        AppSettings& settings = AppSettings::shared();
        settings.setUseBackend(false);
        settings.setOpenAIAPIKey("sk-example");
        settings.setOpenAIBaseURL("http://192.168.1.20:8080/v1");
        settings.setTranscriptionModel("whisper-large-v3");
        settings.setVocabulary({"Quillo", "Kubernetes", "Dr. Okonkwo"});
        settings.setReplacements({{"cube control", "kubectl"}, {"quill o", "Quillo"}});
        settings.setInputDevice("test_mic");
        settings.setHotkeyKeyCode(62);
        settings.setHotkeyModifiers(0);
        const QDateTime now = QDateTime::currentDateTime();
        settings.addDictation({"Meeting moved to Thursday at ten, please bring the draft.",
                               DictationEntry::timestampFrom(now.addDays(-1)), 10, "email"});
        settings.addDictation({QString("A long dictation that goes on and on. ").repeated(8),
                               DictationEntry::timestampFrom(now.addSecs(-3600)), 64, "notes"});
        settings.addDictation(
            {"Sounds good, see you there!", DictationEntry::timestampFrom(now), 5, "chat"});
        settings.setCustomPrompt("Write like a pirate.", DictationMode::chat);

        FakeAudioSourceList sources;
        sources.list = {{"test_mic", "USB Headset Mono"}, {"alsa_input.pci", "Built-in Audio"}};
        FakeLoginItemService loginItems;
        FakeActivationPolicy policy;
        // The local card too, with a long card name on its device line.
        QNetworkAccessManager network;
        SpeechModelDownloader downloader(network);
        SpeechDeviceStatus device(8);
        const QString card = QStringLiteral("AMD Radeon RX 7900 XTX (RADV NAVI31)");
        device.update({true, card, 0}, card);
        SettingsWindowController controller(settings, &loginItems, &policy);
        controller.setAudioSources(&sources);
        controller.setModelDownloader(&downloader);
        controller.setSpeechDevice(&device);
        controller.show();
        for (SettingsSection section : SettingsSection::allCases()) {
            SCOPED_TRACE(section.rawValue().toStdString());
            controller.view()->select(section);
            QCoreApplication::processEvents();
            const QImage shot = controller.window()->grab().toImage();
            EXPECT_EQ(shot.size(), QSize(860, 650) * controller.window()->devicePixelRatioF());
            const QString base =
                testArtifactPath("settings-" + section.rawValue() + "-" + language);
            EXPECT_TRUE(shot.save(base + ".png"));
            QWidget* page = controller.view()->scrollArea()->widget();
            EXPECT_TRUE(page->grab().toImage().save(base + "-page.png"));

            EXPECT_TRUE(VisibleLayout::fitsItsPane(controller.view()->scrollArea()));
            EXPECT_TRUE(VisibleLayout::nothingClipped(controller.window(), controller.window()));
        }
        controller.window()->close();
    }
    Translations::install(QStringLiteral("en"));
}

}  // namespace
