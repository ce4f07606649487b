#pragma once

#include "views/onboarding/SpeechEngineStep.h"

#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <qcoro/qcorotask.h>

#include <functional>

class ActivationPolicy;
class AppSettings;
class CapsuleButton;
class DictationCoordinator;
class LoginItemService;
class ProgressDots;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPropertyAnimation;
class QStackedWidget;
class QToolButton;

// The first-run guide: welcome, microphone, speech to text, accessibility, ready. Its state lives
// here and starts afresh with every new view; only finishing the last step stores anything.
class OnboardingView : public QWidget {
    Q_OBJECT
public:
    struct Services {
        // Asks for the microphone; the answer may come from any thread. Without it, access
        // counts as granted (a desktop without a permission system of its own).
        std::function<QCoro::Task<bool>()> requestMicrophone;
        LoginItemService* loginItems = nullptr;
        ActivationPolicy* activationPolicy = nullptr;
        // Opens an address in the browser; QDesktopServices when empty.
        std::function<void(const QUrl&)> openUrl;
        // What the speech-to-text step works with.
        SpeechEngineStep::Services speech;
        // Shows the Connection section of the settings window.
        std::function<void()> openConnectionSettings;
        // The dictation the last page lets the user try; its failures show under the field.
        DictationCoordinator* dictation = nullptr;
    };

    enum Step { welcomeStep, microphoneStep, engineStep, accessibilityStep, readyStep };
    static constexpr int totalSteps = 5;

    OnboardingView(AppSettings& settings, Services services, std::function<void()> onComplete,
                   QWidget* parent = nullptr);

    int currentStep() const { return currentStep_; }
    bool micGranted() const { return micGranted_; }
    // The request answered that there is no input device: the step lets the user go on.
    bool micMissing() const { return micMissing_; }
    bool accessibilityConfirmed() const { return accessibilityConfirmed_; }
    // The user left the speech-to-text step without a working engine.
    bool engineMissing() const { return engineMissing_; }
    SpeechEngineStep* speechEngine() const { return speechEngine_; }
    // The last page's text field that a first dictation lands in, and the line under it.
    QLineEdit* tryItField() const { return tryItField_; }
    QLabel* tryItFailure() const { return tryItFailure_; }
    bool isAnimating() const;

    void requestMicrophoneAccess();
    void openAccessibilitySettings();
    void completeOnboarding();
    // A dictation failed: while the user tries one on the last page, the message shows under
    // the field until the next text arrives there.
    void showTryItFailure(const QString& message);

    // The help page that explains what the display server needs for synthetic input.
    static QUrl accessibilityHelpUrl();

private:
    static QCoro::Task<> askForMicrophone(QPointer<OnboardingView> view,
                                          std::function<QCoro::Task<bool>()> request);
    void applyMicrophoneAnswer(bool granted);
    void goToStep(int step);
    void refresh();
    void refreshHotkeyCaps();
    bool showsTryIt() const;
    void clearTryItFailure();

    QWidget* buildWelcomeStep();
    QWidget* buildMicrophoneStep();
    QWidget* buildEngineStep();
    QWidget* buildAccessibilityStep();
    QWidget* buildReadyStep();

    AppSettings& settings_;
    Services services_;
    std::function<void()> onComplete_;
    int currentStep_ = 0;
    bool micGranted_ = false;
    bool micMissing_ = false;
    bool accessibilityConfirmed_ = false;
    bool engineMissing_ = false;

    QStackedWidget* steps_ = nullptr;
    ProgressDots* dots_ = nullptr;
    QPropertyAnimation* fadeIn_ = nullptr;
    QWidget* micGrantedLine_ = nullptr;
    QLabel* micMissingHint_ = nullptr;
    CapsuleButton* micButton_ = nullptr;
    QToolButton* confirmBox_ = nullptr;
    CapsuleButton* accessibilityNext_ = nullptr;
    QHBoxLayout* hotkeyCaps_ = nullptr;
    QLabel* tryItHint_ = nullptr;
    QWidget* tryIt_ = nullptr;
    QLineEdit* tryItField_ = nullptr;
    QLabel* tryItFailure_ = nullptr;
    SpeechEngineStep* speechEngine_ = nullptr;
    CapsuleButton* engineNext_ = nullptr;
    QLabel* readyTitle_ = nullptr;
    QLabel* readySubtitle_ = nullptr;
    QWidget* readySymbol_ = nullptr;
    QWidget* missingSymbol_ = nullptr;
    CapsuleButton* connectionButton_ = nullptr;
};
