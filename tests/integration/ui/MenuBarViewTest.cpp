#include "models/AppSettings.h"
#include "models/AppState.h"
#include "models/RecordingStateMachine.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LoopbackHttpServer.h"
#include "support/X11TestClient.h"
#include "support/TestArtifacts.h"
#include "support/VisibleLayout.h"
#include "support/ScopedDataHome.h"
#include "views/Translations.h"
#include "services/local/LocalTranscriber.h"
#include "services/local/SpeechModelDownloader.h"
#include "views/settings/sections/HomeSettingsContent.h"
#include "views/tray/MenuBarView.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QLabel>
#include <QTest>
#include <QWidgetAction>

#include <gtest/gtest.h>

namespace {

class MenuBarViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        InMemoryDefaultsStore::sharedForTests().clear();
        Translations::install(QStringLiteral("en"));
        menu = std::make_unique<MenuBarView>(
            settings, appState, pipelineMachine, [this] { ++settingsOpened; },
            [this] { ++quitRequests; });
    }
    void TearDown() override {
        menu.reset();
        Translations::install(QStringLiteral("en"));
    }

    QString statusText() const {
        return menu->findChild<QLabel*>(QStringLiteral("statusLineText"))->text();
    }
    QString statusSymbol() const {
        return menu->findChild<QLabel*>(QStringLiteral("statusLineSymbol"))
            ->property("symbol")
            .toString();
    }
    bool warningShown() const {
        const auto* line = menu->findChild<QWidget*>(QStringLiteral("apiKeyWarning"));
        for (QAction* action : menu->actions()) {
            if (auto* widgetAction = qobject_cast<QWidgetAction*>(action);
                widgetAction && widgetAction->defaultWidget() == line) {
                return action->isVisible();
            }
        }
        return false;
    }
    QStringList markedModes() const {
        QStringList marked;
        for (DictationMode mode : DictationMode::allCases()) {
            if (menu->modeAction(mode)->property("symbol") ==
                QLatin1String("checkmark.circle.fill")) {
                marked << mode.rawValue();
            }
        }
        return marked;
    }
    void saveScreenshot(const QString& fileName) {
        menu->popup(QPoint(200, 100));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu.get()));
        EXPECT_TRUE(menu->grab().save(testArtifactPath(fileName)));
        EXPECT_TRUE(VisibleLayout::nothingClipped(menu.get(), menu.get()))
            << fileName.toStdString();
        menu->hide();
    }

    AppSettings& settings = AppSettings::shared();
    AppState appState{settings};
    RecordingStateMachine pipelineMachine;
    int settingsOpened = 0;
    int quitRequests = 0;
    std::unique_ptr<MenuBarView> menu;
};

TEST_F(MenuBarViewTest, ListsModesInOrderAndMarksTheStoredOneWithEmailForUnknownValues) {
    QStringList titles;
    for (QAction* action : menu->actions()) {
        if (action->data().isValid()) {
            titles << action->text();
        }
    }
    EXPECT_EQ(titles, (QStringList{"E-Mail", "Chat", "Code", "Notes", "Raw"}));
    EXPECT_EQ(markedModes(), QStringList{"email"});

    settings.setSelectedModeRaw(QStringLiteral("Code"));  // names no mode: case-sensitive
    EXPECT_EQ(markedModes(), QStringList{"email"});

    menu->modeAction(DictationMode::notes)->trigger();
    EXPECT_EQ(settings.selectedModeRaw(), "notes");
    EXPECT_EQ(markedModes(), QStringList{"notes"});
}

TEST_F(MenuBarViewTest, StatusLineFollowsTheMachineForRecordingAndThePublishedStateForProcessing) {
    EXPECT_EQ(statusText(), "Hold the hotkey to dictate");
    EXPECT_EQ(statusSymbol(), "keyboard");

    // The published state has not caught up yet: the machine's word counts.
    pipelineMachine.setState(RecordingStateValue::holdRecording);
    EXPECT_EQ(statusText(), "Recording…");
    EXPECT_EQ(statusSymbol(), "mic.fill");

    appState.setRecordingState(RecordingStateValue::processing);
    EXPECT_EQ(statusText(), "Recording…");  // recording wins over processing

    pipelineMachine.setState(RecordingStateValue::handsfreeRecording);
    EXPECT_EQ(statusText(), "Recording…");

    pipelineMachine.setState(RecordingStateValue::processing);
    EXPECT_EQ(statusText(), "Processing…");
    EXPECT_EQ(statusSymbol(), "arrow.triangle.2.circlepath");

    // The machine alone in processing is not enough: that test reads the published state.
    appState.setRecordingState(RecordingStateValue::idle);
    EXPECT_EQ(statusText(), "Hold the hotkey to dictate");
}

TEST_F(MenuBarViewTest, WarnsAboutAMissingKeyOnlyOnTheDirectRoute) {
    EXPECT_FALSE(warningShown());  // the backend is the default route

    settings.setUseBackend(false);
    EXPECT_TRUE(warningShown());
    settings.setOpenAIAPIKey(QStringLiteral("  \n "));
    EXPECT_TRUE(warningShown());
    settings.setOpenAIAPIKey(QStringLiteral(" sk-test "));
    EXPECT_FALSE(warningShown());

    settings.setOpenAIAPIKey(QString());
    settings.setUseBackend(true);
    EXPECT_FALSE(warningShown());
}

TEST_F(MenuBarViewTest, FollowsChangesWhileOpenAndRunsSettingsAndQuit) {
    settings.setUseBackend(false);
    saveScreenshot(QStringLiteral("menu-en.png"));

    menu->popup(QPoint(200, 100));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu.get()));
    settings.setSelectedModeRaw(QStringLiteral("chat"));
    pipelineMachine.setState(RecordingStateValue::holdRecording);
    EXPECT_EQ(markedModes(), QStringList{"chat"});
    EXPECT_EQ(statusText(), "Recording…");

    menu->settingsAction()->trigger();
    EXPECT_EQ(settingsOpened, 1);

    QTest::keyClick(menu.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quitRequests, 1);
    menu->hide();
}

TEST_F(MenuBarViewTest, TheEngineLineSaysWhatTranscribesAndLeadsToTheConnectionSection) {
    ScopedDataHome dataHome;
    int connectionOpened = 0;
    menu->setOpenConnectionSettings([&] { ++connectionOpened; });
    QNetworkAccessManager network;
    SpeechModelDownloader downloader(network);
    menu->setModelDownloader(&downloader);
    HomeSettingsContent home(settings, &downloader);
    QAction* line = menu->engineAction();
    auto says = [&](const char* text, bool warns) {
        EXPECT_EQ(line->text(), text);
        EXPECT_EQ(home.engineLine()->text(), text) << "the Home section says the same";
        EXPECT_EQ(line->property("symbol") == "exclamationmark.triangle", warns) << text;
    };

    says("Speech to text: Quillo's service", false);
    settings.setUseBackend(false);
    says("Speech to text: API key missing", true);
    settings.setOpenAIAPIKey(QStringLiteral("sk-test"));
    says("Speech to text: your own server", false);

    settings.setLocalTranscription(true);
    settings.setLocalModel(QString());
    says("Speech to text: not set up", true);
    settings.setLocalModel(QStringLiteral("base.en"));
    says("Speech model missing: base.en", true);
    QDir().mkpath(LocalTranscriber::modelsDirectory());
    QFile model(LocalTranscriber::modelPath(QStringLiteral("base.en")));
    ASSERT_TRUE(model.open(QIODevice::WriteOnly));
    model.close();
    settings.setLocalModel(QStringLiteral("base.en"));
    says("Speech to text: this computer (base.en)", false);
    // The file gone: said before the next dictation, when the menu opens.
    model.remove();
    emit menu->aboutToShow();
    EXPECT_EQ(line->text(), "Speech model missing: base.en");
    EXPECT_EQ(line->property("symbol"), "exclamationmark.triangle");
    line->trigger();
    EXPECT_EQ(connectionOpened, 1);

    LoopbackHttpServer server;
    ScriptedResponse silent = ScriptedResponse::text(200, "");
    silent.ending = ScriptedResponse::Ending::neverAnswer;
    server.enqueue(silent);
    downloader.start(QUrl(server.baseURL() + QStringLiteral("/ggml-tiny.en.bin")),
                     LocalTranscriber::modelPath(QStringLiteral("tiny.en")), 100,
                     QByteArray(64, '0'));
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1; }));
    emit downloader.progress(45, 100);  // what the reply reports as its bytes arrive
    says("Downloading speech model… 45 %", false);
    downloader.cancel();
    ASSERT_TRUE(waitUntil([&] { return !downloader.isRunning(); }));
    says("Speech model missing: base.en", true);
    saveScreenshot(QStringLiteral("menu-engine-missing-en.png"));
}

TEST_F(MenuBarViewTest, ShowsGermanTextsWhenGermanIsInstalled) {
    ASSERT_EQ(Translations::install(QStringLiteral("de")), "de");
    settings.setUseBackend(false);  // a change makes the menu read its texts again
    EXPECT_EQ(menu->settingsAction()->text(), "Einstellungen…");
    EXPECT_EQ(menu->modeAction(DictationMode::notes)->text(), "Notizen");
    EXPECT_EQ(statusText(), "Halte den Hotkey gedrückt, um zu diktieren");
    saveScreenshot(QStringLiteral("menu-de.png"));
}

}  // namespace
