#include "integration/ui/OnboardingScreenshot.h"
#include "models/AppSettings.h"
#include "platform/ActivationPolicy.h"
#include "support/FakeActivationPolicy.h"
#include "support/FakeLoginItemService.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/TestArtifacts.h"
#include "support/VisibleLayout.h"
#include "views/onboarding/CapsuleButton.h"
#include "views/onboarding/OnboardingView.h"
#include "views/onboarding/OnboardingWindowController.h"
#include "views/Translations.h"
#include "views/widgets/KeyCap.h"

#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <qcoro/qcorosignal.h>

#include <gtest/gtest.h>

namespace {

// Stands for the microphone permission: answers at once, or when the test opens the gate.
class MicrophoneGate : public QObject {
    Q_OBJECT
public:
    bool answer = true;
    bool answerAtOnce = true;
    int requests = 0;
    void open() { emit opened(); }

    std::function<QCoro::Task<bool>()> request() {
        return [this] { return ask(this); };
    }

signals:
    void opened();

private:
    static QCoro::Task<bool> ask(MicrophoneGate* gate) {
        ++gate->requests;
        if (!gate->answerAtOnce) {
            co_await qCoro(gate, &MicrophoneGate::opened);
        }
        co_return gate->answer;
    }
};

class OnboardingViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        InMemoryDefaultsStore::sharedForTests().clear();
        Translations::install(QStringLiteral("en"));
        OnboardingWindowController::shared().reset();
        OnboardingView::Services services;
        services.requestMicrophone = microphone.request();
        services.loginItems = &loginItems;
        services.activationPolicy = &activationPolicy;
        services.openUrl = [this](const QUrl& url) { openedUrls << url; };
        OnboardingWindowController::installServices(services);
    }
    void TearDown() override {
        OnboardingWindowController::shared().reset();
        OnboardingWindowController::installServices({});
        Translations::install(QStringLiteral("en"));
    }

    OnboardingView* show() {
        OnboardingWindowController::shared().show();
        return OnboardingWindowController::shared().view();
    }
    template <typename T = QWidget>
    T* find(OnboardingView* view, const char* name) {
        return view->findChild<T*>(QString::fromLatin1(name));
    }
    void click(OnboardingView* view, const char* name) {
        QTest::mouseClick(find(view, name), Qt::LeftButton);
    }

    MicrophoneGate microphone;
    FakeLoginItemService loginItems;
    FakeActivationPolicy activationPolicy;
    QList<QUrl> openedUrls;
    AppSettings& settings = AppSettings::shared();
};

// A machine without any input device: a hint instead of a dead end. Nothing is stored, so a
// later launch asks again once a microphone is connected.
TEST_F(OnboardingViewTest, WithoutAMicrophoneTheStepSaysSoAndLetsTheUserGoOn) {
    OnboardingView* view = show();
    click(view, "welcomeButton");
    microphone.answer = false;
    click(view, "micButton");
    EXPECT_EQ(view->currentStep(), 1);
    EXPECT_FALSE(view->micGranted());
    EXPECT_TRUE(view->micMissing());
    EXPECT_FALSE(find(view, "micGrantedLine")->isVisible());
    EXPECT_TRUE(find(view, "micMissingHint")->isVisible());
    EXPECT_EQ(find<QLabel>(view, "micMissingHint")->text(),
              "No microphone found. You can continue and connect one later.");
    EXPECT_EQ(find<CapsuleButton>(view, "micButton")->text(), "Continue");

    click(view, "micButton");
    EXPECT_EQ(microphone.requests, 1) << "going on asks nothing more";
    EXPECT_EQ(view->currentStep(), 2);
    EXPECT_FALSE(InMemoryDefaultsStore::sharedForTests().contains("onboarding_completed"));
}

// The one button asks the platform, granted earlier or not; the step moves on when the answer
// comes, and an answer after the window has gone touches nothing.
TEST_F(OnboardingViewTest, TheMicrophoneIsAskedAndALateAnswerReachesTheViewOrNothingIfItIsGone) {
    microphone.answerAtOnce = false;
    OnboardingView* view = show();
    click(view, "welcomeButton");
    EXPECT_FALSE(find(view, "micMissingHint")->isVisible());
    EXPECT_EQ(find<CapsuleButton>(view, "micButton")->text(), "Allow Microphone");
    click(view, "micButton");
    EXPECT_EQ(view->currentStep(), 1);
    microphone.open();
    EXPECT_TRUE(QTest::qWaitFor([view] { return view->currentStep() == 2; }));
    EXPECT_TRUE(view->micGranted());

    OnboardingWindowController::shared().reset();
    view = show();
    click(view, "welcomeButton");
    click(view, "micButton");
    OnboardingWindowController::shared().reset();
    microphone.open();  // must not touch the deleted view
    QCoreApplication::processEvents();
    EXPECT_EQ(microphone.requests, 2);
}

TEST_F(OnboardingViewTest, AccessibilityNextFollowsTheConfirmationBoxAndSettingsOpenTheHelpPage) {
    OnboardingView* view = show();
    click(view, "welcomeButton");
    click(view, "micButton");
    click(view, "engineNextButton");
    ASSERT_EQ(view->currentStep(), OnboardingView::accessibilityStep);

    auto* next = find<CapsuleButton>(view, "accessibilityNextButton");
    EXPECT_FALSE(next->isEnabled());
    click(view, "accessibilityNextButton");
    EXPECT_EQ(view->currentStep(), OnboardingView::accessibilityStep);

    click(view, "accessibilityConfirmBox");
    EXPECT_TRUE(next->isEnabled());
    EXPECT_EQ(find(view, "accessibilityConfirmBox")->property("symbol"), "checkmark.square.fill");
    click(view, "accessibilityConfirmBox");
    EXPECT_FALSE(next->isEnabled());
    EXPECT_EQ(find(view, "accessibilityConfirmBox")->property("symbol"), "square");

    click(view, "openAccessibilitySettingsButton");
    ASSERT_EQ(openedUrls.size(), 1);
    EXPECT_EQ(openedUrls.first().path(), "/help/synthetic-input");

    click(view, "accessibilityConfirmBox");
    click(view, "accessibilityNextButton");
    EXPECT_EQ(view->currentStep(), OnboardingView::readyStep);
}

TEST_F(OnboardingViewTest, ReadyStepShowsTheStoredHotkeyAndCompletionStoresInOrder) {
    OnboardingView* view = show();
    click(view, "welcomeButton");
    click(view, "micButton");
    click(view, "engineNextButton");
    click(view, "accessibilityConfirmBox");
    click(view, "accessibilityNextButton");
    auto capTexts = [&] {
        QStringList texts;
        for (auto* cap : find(view, "hotkeyCaps")->findChildren<KeyCap*>()) {
            texts << cap->text();
        }
        return texts;
    };
    EXPECT_EQ(capTexts(), (QStringList{"Alt", "Space"}));
    settings.setHotkeyKeyCode(63);
    settings.setHotkeyModifiers(0);
    EXPECT_EQ(capTexts(), QStringList{"Fn"});

    DefaultsStore& store = InMemoryDefaultsStore::sharedForTests();
    const QString completedKey = AppSettings::Keys::onboardingCompleted;
    const QString dockKey = AppSettings::Keys::showInDock;
    bool completedBeforeRegistering = false;
    bool dockStoredBeforeRegistering = true;
    loginItems.refuse = true;  // a refusal must not stop the rest
    loginItems.onRegister = [&] {
        completedBeforeRegistering = store.value(completedKey).has_value();
        dockStoredBeforeRegistering = store.value(dockKey).has_value();
    };
    bool dockStoredBeforePolicy = false;
    activationPolicy.onSet = [&](ActivationPolicy::Policy) {
        dockStoredBeforePolicy = store.value(dockKey).has_value();
    };
    QSignalSpy completed(&OnboardingWindowController::shared(),
                         &OnboardingWindowController::completed);

    click(view, "readyButton");
    EXPECT_TRUE(store.boolean(completedKey));
    EXPECT_TRUE(store.boolean(dockKey));
    EXPECT_EQ(loginItems.registerCount, 1);
    EXPECT_TRUE(completedBeforeRegistering);
    EXPECT_FALSE(dockStoredBeforeRegistering);
    EXPECT_TRUE(dockStoredBeforePolicy);
    EXPECT_EQ(activationPolicy.history, QList{ActivationPolicy::Policy::regular});
    EXPECT_EQ(completed.count(), 1);
    EXPECT_EQ(OnboardingWindowController::shared().window(), nullptr);
}

TEST_F(OnboardingViewTest, ShowingAgainReusesTheWindowAndClosingItStoresNothing) {
    OnboardingView* view = show();
    QWidget* window = OnboardingWindowController::shared().window();
    click(view, "welcomeButton");

    OnboardingWindowController::shared().show();
    EXPECT_EQ(OnboardingWindowController::shared().window(), window);

    window->close();
    EXPECT_TRUE(InMemoryDefaultsStore::sharedForTests().keys().isEmpty());
    EXPECT_EQ(loginItems.registerCount, 0);
    EXPECT_TRUE(activationPolicy.history.isEmpty());

    OnboardingWindowController::shared().show();
    EXPECT_EQ(OnboardingWindowController::shared().window(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(view->currentStep(), 1);
}

TEST_F(OnboardingViewTest, ScreenshotsOfEveryStepInEnglishAndGerman) {
    for (const QString& language : {QStringLiteral("en"), QStringLiteral("de")}) {
        ASSERT_EQ(Translations::install(language), language);
        OnboardingWindowController::shared().reset();
        OnboardingView* view = show();
        saveOnboardingScreenshot(view, QStringLiteral("onboarding-0-welcome-%1.png").arg(language));
        click(view, "welcomeButton");
        saveOnboardingScreenshot(view,
                                 QStringLiteral("onboarding-1-microphone-%1.png").arg(language));
        click(view, "micButton");
        saveOnboardingScreenshot(
            view, QStringLiteral("onboarding-2-speech-to-text-%1.png").arg(language));
        click(view, "engineNextButton");
        click(view, "accessibilityConfirmBox");
        saveOnboardingScreenshot(view,
                                 QStringLiteral("onboarding-3-accessibility-%1.png").arg(language));
        click(view, "accessibilityNextButton");
        saveOnboardingScreenshot(view, QStringLiteral("onboarding-4-ready-%1.png").arg(language));
        if (language == QLatin1String("de")) {
            EXPECT_EQ(find<CapsuleButton>(view, "readyButton")->text(), "Diktieren starten");
        }
    }
}

}  // namespace

#include "OnboardingViewTest.moc"
