#include "integration/ui/UiTestSupport.h"
#include "support/DictationRig.h"
#include "support/FakeSpeechEngine.h"
#include "support/TestArtifacts.h"
#include "support/VisibleLayout.h"
#include "support/ScopedDataHome.h"

#include "dictation/DictationCoordinator.h"
#include "models/AppSettings.h"
#include "platform/SpeechEngineError.h"
#include "services/hotkey/HotkeyManager.h"
#include "services/local/LocalTranscriber.h"
#include "views/onboarding/OnboardingView.h"
#include "views/onboarding/OnboardingWindowController.h"
#include "views/onboarding/SpeechEngineStep.h"
#include "views/Translations.h"
#include "integration/ui/OnboardingScreenshot.h"

#include <QAccessible>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

using Engine = SpeechEngineStep::Engine;

// The onboarding's last page with a dictation to try: the coordinator runs on fakes, and the
// page is the real window. The onboarding is not completed, as on a first launch: the rig's
// coordinator works on the application's own settings, and its call opens the real onboarding.
class OnboardingTryItTest : public ::testing::Test, protected DictationRig {
protected:
    void SetUp() override {
        parts.settings = &appSettings;
        parts.local = &local;
        everyHostAtServer = false;
        DictationRig::showOnboarding = [] { OnboardingWindowController::shared().show(); };
        ASSERT_TRUE(dataHome.isValid());
        InMemoryDefaultsStore::sharedForTests().clear();
        InMemoryDefaultsStore::sharedForTests().setBoolean("launch_at_login_set", true);
        Translations::install(QStringLiteral("en"));
        OnboardingWindowController::shared().reset();
        // A file where the chosen model belongs, which the engine then finds unreadable.
        services.speech.model =
            SpeechModelCatalogue::Entry{QStringLiteral("tiny.en"), 4, QByteArray(), false};
        QDir().mkpath(LocalTranscriber::modelsDirectory());
        QFile model(LocalTranscriber::modelPath(QStringLiteral("tiny.en")));
        ASSERT_TRUE(model.open(QIODevice::WriteOnly));
        model.write("ggml");
    }
    void TearDown() override {
        OnboardingWindowController::shared().reset();
        OnboardingWindowController::installServices({});
        Translations::install(QStringLiteral("en"));
    }

    // Starts the dictation as the application does: it opens the onboarding 0.5 s later.
    OnboardingView* startWithOnboarding() {
        coordinator = startCoordinator();
        services.dictation = coordinator.get();
        OnboardingWindowController::installServices(services);
        scheduler.advance(500ms);
        OnboardingView* view = OnboardingWindowController::shared().view();
        EXPECT_NE(view, nullptr) << "the onboarding opens on a first launch";
        return view;
    }
    OnboardingView* showOnboarding() {
        OnboardingWindowController::installServices(services);
        OnboardingWindowController::shared().show();
        return OnboardingWindowController::shared().view();
    }
    static void click(OnboardingView* view, const char* name) {
        QTest::mouseClick(view->findChild<QWidget*>(QString::fromLatin1(name)), Qt::LeftButton);
    }
    static void walkToReadyStep(OnboardingView* view, std::optional<Engine> engine) {
        click(view, "welcomeButton");
        click(view, "micButton");
        if (engine) {
            QTest::mouseClick(view->speechEngine()->choiceButton(*engine), Qt::LeftButton, {},
                              QPoint(8, 8));
            click(view, "engineNextButton");
        } else {
            click(view, "engineLaterButton");
        }
        click(view, "accessibilityConfirmBox");
        click(view, "accessibilityNextButton");
        ASSERT_EQ(view->currentStep(), OnboardingView::readyStep);
    }

    // A held hotkey, as the fake desktop delivers it, until the dictation has ended.
    void holdHotkey() {
        hotkeys.press(HotkeyManager::hotkeyId);
        scheduler.advance(300ms);
        scheduler.runDue();
        hotkeys.release(HotkeyManager::hotkeyId);
        scheduler.runDue();
        QElapsedTimer deadline;
        deadline.start();
        while (deadline.elapsed() < 10000 &&
               coordinator->stateMachine().state() != RecordingStateValue::idle) {
            scheduler.runDue();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }
    QString lastOverlayError() const {
        for (auto call = overlay.calls.crbegin(); call != overlay.calls.crend(); ++call) {
            if (call->startsWith(QLatin1String("error ")))
                return call->mid(6);
        }
        return {};
    }

    ScopedDataHome dataHome;
    AppSettings& appSettings = AppSettings::shared();
    OnboardingView::Services services;
    FakeSpeechEngine engine;
    LocalTranscriber local{engine, scheduler, appSettings};
    std::unique_ptr<DictationCoordinator> coordinator;
};

TEST_F(OnboardingTryItTest, TheLastPageOffersAFieldBesideTheHotkeyOnlyWhenAnEngineIsSetUp) {
    OnboardingView* view = showOnboarding();
    walkToReadyStep(view, Engine::backend);

    QLineEdit* field = view->tryItField();
    EXPECT_TRUE(field->isVisible());
    auto* hint = view->findChild<QLabel*>(QStringLiteral("tryItHint"));
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->text(), "Try it here:");
    // Beside: the caps follow the instruction on its line.
    QWidget* caps = view->findChild<QWidget*>(QStringLiteral("hotkeyCaps"));
    const QRect hintBox(hint->mapTo(view, QPoint()), hint->size());
    const QRect capsBox(caps->mapTo(view, QPoint()), caps->size());
    EXPECT_LT(hintBox.right(), capsBox.left());
    EXPECT_NEAR(hintBox.center().y(), capsBox.center().y(), 4);
    EXPECT_FALSE(view->tryItFailure()->isVisible());

    // A screen reader hears what the field is for and which keys to hold.
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(field);
    EXPECT_EQ(node->role(), QAccessible::EditableText);
    EXPECT_EQ(node->text(QAccessible::Name), "Try a dictation");
    EXPECT_EQ(node->text(QAccessible::Description),
              "Hold Alt+Space and speak; your words appear in this field.");
    appSettings.setHotkeyKeyCode(63);
    appSettings.setHotkeyModifiers(0);
    EXPECT_EQ(node->text(QAccessible::Description),
              "Hold Fn and speak; your words appear in this field.");

    // Without an engine there is nothing to try: the page says what is missing instead.
    OnboardingWindowController::shared().reset();
    view = showOnboarding();
    walkToReadyStep(view, std::nullopt);
    EXPECT_FALSE(view->tryItField()->isVisibleTo(view));
    EXPECT_FALSE(view->findChild<QWidget*>(QStringLiteral("tryItHint"))->isVisibleTo(view));
    EXPECT_TRUE(view->findChild<QWidget*>(QStringLiteral("hotkeyCaps"))->isVisibleTo(view));
}

// The hotkey works while the onboarding is open; a failed dictation says why under the field,
// with the message the overlay shows, until the next text arrives there.
TEST_F(OnboardingTryItTest, ADictationFailureOnTheLastPageShowsUnderTheField) {
    engine.loadError = std::make_exception_ptr(SpeechEngineError(
        SpeechEngineError::Kind::modelUnreadable, LocalTranscriber::modelPath("tiny.en")));
    OnboardingView* view = startWithOnboarding();
    ASSERT_NE(view, nullptr);

    // Before the last page, a failure is only the overlay's.
    appSettings.setLocalTranscription(true);
    appSettings.setLocalModel(QStringLiteral("tiny.en"));
    holdHotkey();
    ASSERT_EQ(lastOverlayError(), "Speech model not installed");
    walkToReadyStep(view, Engine::local);
    EXPECT_TRUE(appSettings.localTranscription());
    EXPECT_FALSE(view->tryItFailure()->isVisible()) << "an earlier failure is not this try's";

    overlay.calls.clear();
    holdHotkey();
    ASSERT_EQ(lastOverlayError(), "Speech model not installed");
    QLabel* line = view->tryItFailure();
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(line->text(), "Speech model not installed");
    EXPECT_GT(line->mapTo(view, QPoint()).y(), view->tryItField()->mapTo(view, QPoint()).y())
        << "under the field";
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(line);
    EXPECT_EQ(node->role(), QAccessible::StaticText);
    EXPECT_EQ(node->text(QAccessible::Name), "Speech model not installed");

    QTest::keyClicks(view->tryItField(), "typed");
    EXPECT_FALSE(line->isVisible()) << "the next text ends the failed attempt's line";
}

TEST_F(OnboardingTryItTest, ScreenshotsOfTheTryItPageInEnglishAndGerman) {
    for (const QString& language : {QStringLiteral("en"), QStringLiteral("de")}) {
        ASSERT_EQ(Translations::install(language), language);
        OnboardingWindowController::shared().reset();
        OnboardingView* view = showOnboarding();
        walkToReadyStep(view, Engine::backend);
        saveOnboardingScreenshot(view,
                                 QStringLiteral("onboarding-4-ready-try-it-%1.png").arg(language));
        view->showTryItFailure(QStringLiteral("Keine Verbindung zum Server"));
        ASSERT_TRUE(view->tryItFailure()->isVisible());
        saveOnboardingScreenshot(
            view, QStringLiteral("onboarding-4-ready-try-it-failed-%1.png").arg(language));
        if (language == QLatin1String("de")) {
            EXPECT_EQ(view->findChild<QLabel*>(QStringLiteral("tryItHint"))->text(),
                      "Hier ausprobieren:");
            EXPECT_EQ(view->tryItField()->placeholderText(), "Hier erscheinen deine Worte");
        }
    }
}

}  // namespace
