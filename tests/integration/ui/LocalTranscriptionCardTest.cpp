#include "views/settings/sections/LocalTranscriptionCard.h"

#include "models/AppSettings.h"
#include "models/SpeechDeviceStatus.h"
#include "services/local/LocalTranscriber.h"
#include "services/local/SpeechModelDownloader.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LoopbackHttpServer.h"
#include "support/X11TestClient.h"
#include "support/ScopedDataHome.h"
#include "views/widgets/PillButton.h"
#include "views/widgets/QuilloToggleStyle.h"
#include "views/widgets/SettingsRow.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class LocalTranscriptionCardTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dataHome.isValid()); }
    void install(const QString& model) {
        QDir().mkpath(LocalTranscriber::modelsDirectory());
        QFile file(LocalTranscriber::modelPath(model));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("model");
    }

    ScopedDataHome dataHome;
    InMemoryDefaultsStore store;
    AppSettings settings{store};
    QNetworkAccessManager network;
    SpeechModelDownloader downloader{network};
};

TEST_F(LocalTranscriptionCardTest, TheSwitchesStoreTheChoices) {
    LocalTranscriptionCard card(settings, downloader);
    EXPECT_FALSE(card.toggle()->isChecked());
    card.toggle()->click();
    EXPECT_TRUE(settings.localTranscription());
    EXPECT_FALSE(card.fastToggle()->isChecked()) << "accuracy first unless the user chooses";
    card.fastToggle()->click();
    EXPECT_TRUE(settings.localTranscriptionFast());
    EXPECT_TRUE(LocalTranscriptionCard(settings, downloader).fastToggle()->isChecked());
}

// The words-while-speaking switch: off until chosen, named by its row for a screen reader, and
// turned with the keyboard alone.
TEST_F(LocalTranscriptionCardTest, TheLivePreviewSwitchIsNamedAndWorksFromTheKeyboard) {
    LocalTranscriptionCard card(settings, downloader);
    QuilloToggleStyle* toggle = card.livePreviewToggle();
    EXPECT_FALSE(toggle->isChecked());
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(toggle);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->text(QAccessible::Name), qtTrId("local.live_preview_title"));
    EXPECT_TRUE(node->state().checkable);

    card.show();
    EXPECT_TRUE(toggle->focusPolicy() & Qt::TabFocus);
    toggle->setFocus();
    QTest::keyClick(toggle, Qt::Key_Space);
    EXPECT_TRUE(settings.livePreview());
    EXPECT_TRUE(node->state().checked);
    QTest::keyClick(toggle, Qt::Key_Space);
    EXPECT_FALSE(settings.livePreview());

    settings.setLivePreview(true);
    EXPECT_TRUE(LocalTranscriptionCard(settings, downloader).livePreviewToggle()->isChecked());
}

// The graphics-card switch: disabled until a card is found, then named for a screen reader,
// turned from the keyboard, stored, and the line under it says where the model runs.
TEST_F(LocalTranscriptionCardTest, TheGraphicsCardSwitchWaitsForACardAndTheLineFollowsTheDevice) {
    SpeechDeviceStatus device(4);
    int lookups = 0;
    device.setLookup([&lookups] { ++lookups; });
    LocalTranscriptionCard card(settings, downloader, &device);
    EXPECT_EQ(lookups, 1) << "the card asks where the engine runs when it is shown";
    QuilloToggleStyle* toggle = card.graphicsCardToggle();
    QLabel* line = card.deviceRow()->subtitleLabel();
    EXPECT_EQ(line->text(), qtTrId("local.device_processor").arg(4));
    EXPECT_FALSE(toggle->isEnabled()) << "no card to choose";
    EXPECT_TRUE(toggle->isChecked()) << "on by default, for when a card appears";

    const QString radeon = QStringLiteral("AMD Radeon 780M (RADV GFX1103_R1)");
    device.update({true, radeon, 0}, radeon);
    EXPECT_EQ(line->text(), qtTrId("local.device_graphics_card").arg(radeon));
    ASSERT_TRUE(toggle->isEnabled());
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(toggle);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->text(QAccessible::Name), qtTrId("local.graphics_card_title"));
    EXPECT_TRUE(node->state().checkable);
    EXPECT_FALSE(node->state().disabled);

    card.show();
    toggle->setFocus();
    QTest::keyClick(toggle, Qt::Key_Space);
    EXPECT_FALSE(settings.useGpu());
    EXPECT_FALSE(node->state().checked);
    EXPECT_EQ(lookups, 2) << "where the next model goes is looked up again";
    device.update({false, {}, 4}, radeon);
    EXPECT_EQ(line->text(), qtTrId("local.device_processor").arg(4));
    EXPECT_TRUE(toggle->isEnabled()) << "the card is still there to choose again";
    EXPECT_FALSE(
        LocalTranscriptionCard(settings, downloader, &device).graphicsCardToggle()->isChecked());
}

// The processor keeps the base model's recommendation; a card in use moves it to the larger
// models with the speed a user can expect, and turning the card off moves it back.
TEST_F(LocalTranscriptionCardTest, TheRecommendationFollowsTheGraphicsCardInUse) {
    const QString recommended = QStringLiteral(" · ") + qtTrId("local.recommended");
    const QString onCard = QStringLiteral(" · ") +
                           qtTrId("local.recommended_graphics_card").arg(QLocale().toString(1.0));
    settings.setAppLanguage(QStringLiteral("en"));
    SpeechDeviceStatus device(4);
    LocalTranscriptionCard card(settings, downloader, &device);
    EXPECT_TRUE(card.modelSubtitle(QStringLiteral("base.en")).endsWith(recommended));
    EXPECT_FALSE(card.modelSubtitle(QStringLiteral("large-v3-turbo-q5_0")).contains(recommended));

    const QString radeon = QStringLiteral("AMD Radeon 780M (RADV GFX1103_R1)");
    device.update({true, radeon, 0}, radeon);
    EXPECT_TRUE(card.modelSubtitle(QStringLiteral("large-v3-turbo-q5_0")).endsWith(onCard));
    EXPECT_TRUE(
        card.modelSubtitle(QStringLiteral("small.en"))
            .endsWith(qtTrId("local.recommended_graphics_card").arg(QLocale().toString(0.5))));
    EXPECT_FALSE(card.modelSubtitle(QStringLiteral("base.en")).contains(recommended));
    EXPECT_FALSE(card.modelSubtitle(QStringLiteral("small")).contains(recommended))
        << "the English-only shape for an English interface";

    card.graphicsCardToggle()->click();
    EXPECT_TRUE(card.modelSubtitle(QStringLiteral("base.en")).endsWith(recommended))
        << "the card found but not to be used";
    EXPECT_FALSE(card.modelSubtitle(QStringLiteral("large-v3-turbo-q5_0")).contains(onCard));
}

TEST_F(LocalTranscriptionCardTest, MissingModelsOfferADownloadInstalledOnesUseAndDelete) {
    install("tiny.en");
    LocalTranscriptionCard card(settings, downloader);
    const auto tiny = card.controls("tiny.en");
    const auto base = card.controls("base.en");
    EXPECT_TRUE(base.download->isVisibleTo(&card));
    EXPECT_FALSE(base.remove->isVisibleTo(&card));
    EXPECT_FALSE(base.progress->isVisibleTo(&card));
    EXPECT_FALSE(tiny.download->isVisibleTo(&card));
    EXPECT_TRUE(tiny.use->isVisibleTo(&card));

    tiny.use->click();
    EXPECT_EQ(settings.localModel(), "tiny.en");
    EXPECT_FALSE(tiny.use->isVisibleTo(&card)) << "the model in use offers no Use";

    // A part left by a later interrupted download of the same model goes with it.
    const QString part = SpeechModelDownloader::partialPath(LocalTranscriber::modelPath("tiny.en"));
    QFile partFile(part);
    ASSERT_TRUE(partFile.open(QIODevice::WriteOnly));
    partFile.close();
    tiny.remove->click();
    EXPECT_FALSE(QFile::exists(LocalTranscriber::modelPath("tiny.en")));
    EXPECT_FALSE(QFile::exists(part));
    EXPECT_TRUE(tiny.download->isVisibleTo(&card));
}

// Switching section destroys the card, not the download: the next card shows it going on, and
// its Cancel still stops it.
TEST_F(LocalTranscriptionCardTest, ADownloadOutlivesTheCardAndShowsOnTheNextOne) {
    LoopbackHttpServer server;
    ScriptedResponse slow = ScriptedResponse::text(200, QByteArray(1000, 'm'));
    slow.delay = std::chrono::seconds(30);
    server.enqueue(slow);
    {
        LocalTranscriptionCard first(settings, downloader);
        downloader.start(QUrl(server.baseURL() + QStringLiteral("/tiny.en.bin")),
                         LocalTranscriber::modelPath("tiny.en"), 1000, QByteArray(64, '0'));
        ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1; }));
        EXPECT_TRUE(first.controls("tiny.en").cancel->isVisibleTo(&first));
    }
    EXPECT_TRUE(downloader.isRunning());

    LocalTranscriptionCard next(settings, downloader);
    const auto tiny = next.controls("tiny.en");
    EXPECT_TRUE(tiny.progress->isVisibleTo(&next));
    EXPECT_TRUE(tiny.cancel->isVisibleTo(&next));
    EXPECT_FALSE(tiny.download->isVisibleTo(&next));
    EXPECT_FALSE(next.controls("base.en").download->isEnabled()) << "one download at a time";

    tiny.cancel->click();
    EXPECT_TRUE(waitUntil([&] { return !downloader.isRunning(); }));
    EXPECT_TRUE(tiny.download->isVisibleTo(&next));
    EXPECT_TRUE(next.controls("base.en").download->isEnabled());
}

}  // namespace
