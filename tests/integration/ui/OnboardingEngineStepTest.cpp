#include "integration/ui/UiTestSupport.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestArtifacts.h"
#include "support/X11TestClient.h"
#include "support/ScopedDataHome.h"

#include "models/AppSettings.h"
#include "services/local/LocalTranscriber.h"
#include "services/local/SpeechModelDownloader.h"
#include "views/onboarding/CapsuleButton.h"
#include "views/onboarding/OnboardingView.h"
#include "views/onboarding/OnboardingWindowController.h"
#include "views/onboarding/SpeechEngineStep.h"
#include "views/settings/sections/SecretField.h"
#include "views/Translations.h"
#include "views/widgets/PillButton.h"
#include "integration/ui/OnboardingScreenshot.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QProgressBar>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Engine = SpeechEngineStep::Engine;

class OnboardingEngineStepTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dataHome.isValid());
        InMemoryDefaultsStore::sharedForTests().clear();
        Translations::install(QStringLiteral("en"));
        OnboardingWindowController::shared().reset();
        services.openConnectionSettings = [this] { ++connectionOpened; };
        services.speech.downloader = &downloader;
        // A small stand-in for the recommended model, served by the loopback server.
        services.speech.model = SpeechModelCatalogue::Entry{
            QStringLiteral("base.en"), modelBytes.size(),
            QCryptographicHash::hash(modelBytes, QCryptographicHash::Sha256).toHex(), false};
        services.speech.modelUrl = QUrl(server.baseURL() + QStringLiteral("/ggml-base.en.bin"));
    }
    void TearDown() override {
        OnboardingWindowController::shared().reset();
        OnboardingWindowController::installServices({});
        Translations::install(QStringLiteral("en"));
    }

    // Opens the onboarding on the speech-to-text step.
    OnboardingView* showEngineStep() {
        OnboardingWindowController::installServices(services);
        OnboardingWindowController::shared().show();
        OnboardingView* view = OnboardingWindowController::shared().view();
        click(view, "welcomeButton");
        click(view, "micButton");
        EXPECT_EQ(view->currentStep(), OnboardingView::engineStep);
        return view;
    }
    static void click(OnboardingView* view, const char* name) {
        QTest::mouseClick(view->findChild<QWidget*>(QString::fromLatin1(name)), Qt::LeftButton);
    }
    static bool continueEnabled(OnboardingView* view) {
        return view->findChild<CapsuleButton*>(QStringLiteral("engineNextButton"))->isEnabled();
    }
    static void choose(SpeechEngineStep* step, Engine engine) {
        QTest::mouseClick(step->choiceButton(engine), Qt::LeftButton, {}, QPoint(8, 8));
    }
    QString checkOutcome(SpeechEngineStep* step) {
        QTest::mouseClick(step->checkButton(), Qt::LeftButton);
        const QString running = qtTrId("connection.check.running");
        EXPECT_TRUE(waitUntil([&] { return step->checkResult()->text() != running; },
                              std::chrono::seconds(10)));
        return step->checkResult()->text();
    }
    ScriptedResponse modelAnswer() const { return ScriptedResponse::text(200, modelBytes); }

    ScopedDataHome dataHome;
    const QByteArray modelBytes = QByteArray(64 * 1024, 'w') + QByteArray("ggml");
    LoopbackHttpServer server;
    QNetworkAccessManager network;
    SpeechModelDownloader downloader{network};
    OnboardingView::Services services;
    int connectionOpened = 0;
    AppSettings& settings = AppSettings::shared();
};

TEST_F(OnboardingEngineStepTest,
       ThisComputerDownloadsWithProgressCancelAndResumeAndRefusesABadFile) {
    OnboardingView* view = showEngineStep();
    SpeechEngineStep* step = view->speechEngine();
    choose(step, Engine::local);
    ASSERT_EQ(step->engine(), Engine::local);
    EXPECT_FALSE(continueEnabled(view)) << "no model on this computer yet";

    // Cancel: the request is out and the answer slow.
    ScriptedResponse slow = modelAnswer();
    slow.delay = std::chrono::seconds(30);
    server.enqueue(slow);
    QTest::mouseClick(step->downloadButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1; }));
    EXPECT_TRUE(step->cancelButton()->isVisibleTo(step));
    EXPECT_TRUE(step->progressBar()->isVisibleTo(step));
    QTest::mouseClick(step->cancelButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !downloader.isRunning(); }));
    EXPECT_TRUE(step->downloadButton()->isVisibleTo(step));
    EXPECT_FALSE(continueEnabled(view));

    // A file whose checksum does not match is refused, and the reason shown.
    server.enqueue(ScriptedResponse::text(200, QByteArray(modelBytes.size(), 'x')));
    QTest::mouseClick(step->downloadButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !downloader.isRunning(); }));
    EXPECT_FALSE(step->localStatus()->text().isEmpty());
    EXPECT_FALSE(QFile::exists(LocalTranscriber::modelPath("base.en")));
    EXPECT_FALSE(continueEnabled(view));

    // A dropped connection leaves a part that the next Download resumes.
    ScriptedResponse dropped = modelAnswer();
    dropped.ending = ScriptedResponse::Ending::dropMidBody;
    server.enqueue(dropped);
    QTest::mouseClick(step->downloadButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !downloader.isRunning(); }));
    const qint64 part =
        QFile(SpeechModelDownloader::partialPath(LocalTranscriber::modelPath("base.en"))).size();
    ASSERT_GT(part, 0);
    ScriptedResponse rest = ScriptedResponse::text(206, modelBytes.mid(part));
    rest.headers.append({"Content-Range", "bytes " + QByteArray::number(part) + "-" +
                                              QByteArray::number(modelBytes.size() - 1) + "/" +
                                              QByteArray::number(modelBytes.size())});
    server.enqueue(rest);
    QTest::mouseClick(step->downloadButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !downloader.isRunning(); }));
    EXPECT_EQ(server.requests().last().header("Range"), "bytes=" + QByteArray::number(part) + "-");

    // Verified and in place: the choice is stored and usable.
    EXPECT_TRUE(QFile::exists(LocalTranscriber::modelPath("base.en")));
    EXPECT_TRUE(settings.localTranscription());
    EXPECT_EQ(settings.localModel(), "base.en");
    EXPECT_EQ(step->localStatus()->text(), "base.en is ready on this computer.");
    EXPECT_FALSE(step->downloadButton()->isVisibleTo(step));
    EXPECT_TRUE(continueEnabled(view));
    click(view, "engineNextButton");
    EXPECT_EQ(view->currentStep(), OnboardingView::accessibilityStep);
    EXPECT_FALSE(view->engineMissing());
}

TEST_F(OnboardingEngineStepTest, OwnKeyCountsOnceTheCheckSaysConnected) {
    settings.setOpenAIBaseURL(server.baseURL());
    OnboardingView* view = showEngineStep();
    SpeechEngineStep* step = view->speechEngine();
    choose(step, Engine::own);
    EXPECT_FALSE(continueEnabled(view));
    step->keyField()->setFocus();
    QTest::keyClicks(step->keyField()->findChild<QLineEdit*>(), "sk-onboarding");
    EXPECT_EQ(settings.openAIAPIKey(), "sk-onboarding");

    server.enqueue(ScriptedResponse::json(401, R"({"error":"invalid key"})"));
    EXPECT_EQ(checkOutcome(step), "Key rejected");
    EXPECT_FALSE(continueEnabled(view));
    server.enqueue(ScriptedResponse::json(200, R"({"data":[]})"));
    EXPECT_EQ(checkOutcome(step), "Connected");
    EXPECT_EQ(server.requests().last().header("Authorization"), "Bearer sk-onboarding");
    EXPECT_TRUE(continueEnabled(view));

    // Another key is not the one that was checked.
    QTest::keyClicks(step->keyField()->findChild<QLineEdit*>(), "2");
    EXPECT_FALSE(continueEnabled(view));
    server.enqueue(ScriptedResponse::json(200, R"({"data":[]})"));
    EXPECT_EQ(checkOutcome(step), "Connected");
    settings.setUseBackend(true);
    click(view, "engineNextButton");
    EXPECT_FALSE(settings.useBackend());
    EXPECT_FALSE(settings.localTranscription());
    EXPECT_EQ(view->currentStep(), OnboardingView::accessibilityStep);
}

TEST_F(OnboardingEngineStepTest, QuillosServiceIsUsableAtOnceAndAProcessorWithoutTheEngineIsSaid) {
    services.speech.processorShortfall = QStringLiteral("AVX2, FMA");
    settings.setLocalTranscription(true);
    OnboardingView* view = showEngineStep();
    SpeechEngineStep* step = view->speechEngine();
    EXPECT_FALSE(step->choiceButton(Engine::local)->isEnabled());
    EXPECT_NE(step->engine(), Engine::local);
    EXPECT_TRUE(step->localStatus()->text().contains("AVX2, FMA"));
    choose(step, Engine::backend);
    EXPECT_TRUE(continueEnabled(view));
    click(view, "engineNextButton");
    EXPECT_TRUE(settings.useBackend());
    EXPECT_FALSE(settings.localTranscription());
}

TEST_F(OnboardingEngineStepTest, SetUpLaterEndsOnAPageThatSaysWhatIsMissing) {
    OnboardingView* view = showEngineStep();
    choose(view->speechEngine(), Engine::local);
    click(view, "engineLaterButton");
    EXPECT_TRUE(view->engineMissing());
    click(view, "accessibilityConfirmBox");
    click(view, "accessibilityNextButton");
    ASSERT_EQ(view->currentStep(), OnboardingView::readyStep);
    EXPECT_EQ(view->findChild<QLabel*>(QStringLiteral("readyTitle"))->text(),
              "Speech to Text Is Not Set Up");
    auto* connection = view->findChild<CapsuleButton*>(QStringLiteral("readyConnectionButton"));
    ASSERT_TRUE(connection->isVisibleTo(view));
    QTest::mouseClick(connection, Qt::LeftButton);
    EXPECT_EQ(connectionOpened, 1);
}

TEST_F(OnboardingEngineStepTest, ScreenshotsOfTheNewPagesInEnglishAndGerman) {
    for (const QString& language : {QStringLiteral("en"), QStringLiteral("de")}) {
        ASSERT_EQ(Translations::install(language), language);
        OnboardingWindowController::shared().reset();
        OnboardingView* view = showEngineStep();
        SpeechEngineStep* step = view->speechEngine();
        choose(step, Engine::local);
        saveOnboardingScreenshot(
            view, QStringLiteral("onboarding-2-speech-to-text-local-%1.png").arg(language));
        choose(step, Engine::own);
        saveOnboardingScreenshot(
            view, QStringLiteral("onboarding-2-speech-to-text-own-%1.png").arg(language));
        choose(step, Engine::backend);
        saveOnboardingScreenshot(
            view, QStringLiteral("onboarding-2-speech-to-text-service-%1.png").arg(language));
        click(view, "engineLaterButton");
        click(view, "accessibilityConfirmBox");
        click(view, "accessibilityNextButton");
        saveOnboardingScreenshot(
            view, QStringLiteral("onboarding-4-ready-missing-engine-%1.png").arg(language));
    }
}

}  // namespace
