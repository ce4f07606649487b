#include "views/onboarding/OnboardingView.h"

#include "BuildConfig.h"
#include "dictation/DictationCoordinator.h"
#include "models/AppSettings.h"
#include "platform/ActivationPolicy.h"
#include "platform/LoginItemService.h"
#include "services/hotkey/HotkeyUtils.h"
#include "theme/QuilloTheme.h"
#include "theme/SemanticColors.h"
#include "views/onboarding/CapsuleButton.h"
#include "views/onboarding/ProgressDots.h"
#include "views/widgets/KeyPill.h"
#include "views/widgets/SymbolImage.h"

#include <QDesktopServices>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPropertyAnimation>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int transitionMs = 250;

QColor secondaryColor(const QWidget* widget) {
    return widget->palette().color(QPalette::PlaceholderText);
}

QLabel* symbolLabel(const QString& name, int size, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(SymbolImage::pixmap(name, size, color, label->devicePixelRatioF()));
    label->setProperty("symbol", name);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// Sizes are in pixels: the layout's points are the window's pixels.
QLabel* textLabel(const QString& text, int pixelSize, QFont::Weight weight, const QColor& color,
                  QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

QLabel* titleLabel(const QString& text, int pixelSize, QWidget* parent) {
    auto* label = textLabel(text, pixelSize, QFont::Bold,
                            parent->palette().color(QPalette::WindowText), parent);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

QLabel* bodyLabel(const QString& text, int pixelSize, QWidget* parent) {
    auto* label = textLabel(text, pixelSize, QFont::Normal, secondaryColor(parent), parent);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setContentsMargins(20, 0, 20, 0);
    return label;
}

// Every step: a centred column between two flexible spaces, its main button at the bottom.
QVBoxLayout* stepLayout(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 16);
    layout->setSpacing(16);
    layout->addStretch(1);
    return layout;
}

void finishStep(QVBoxLayout* layout, CapsuleButton* mainButton) {
    layout->addStretch(1);
    layout->addWidget(mainButton);
}

CapsuleButton* mainButton(const QString& objectName, const QString& text, QWidget* parent) {
    auto* button = new CapsuleButton(CapsuleButton::Style::main, parent);
    button->setObjectName(objectName);
    button->setText(text);
    return button;
}

}  // namespace

OnboardingView::OnboardingView(AppSettings& settings, Services services,
                               std::function<void()> onComplete, QWidget* parent)
    : QWidget(parent),
      settings_(settings),
      services_(std::move(services)),
      onComplete_(std::move(onComplete)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(48, 0, 48, 28);
    layout->setSpacing(0);
    steps_ = new QStackedWidget(this);
    steps_->addWidget(buildWelcomeStep());
    steps_->addWidget(buildMicrophoneStep());
    steps_->addWidget(buildEngineStep());
    steps_->addWidget(buildAccessibilityStep());
    steps_->addWidget(buildReadyStep());
    layout->addWidget(steps_, 1);
    dots_ = new ProgressDots(totalSteps, this);
    dots_->setObjectName(QStringLiteral("progressDots"));
    layout->addWidget(dots_, 0, Qt::AlignHCenter);

    connect(&settings_, &AppSettings::changed, this, [this](const QString& key) {
        if (key == QLatin1String(AppSettings::Keys::hotkeyKeyCode) ||
            key == QLatin1String(AppSettings::Keys::hotkeyModifiers)) {
            refreshHotkeyCaps();
        }
    });
    refresh();
}

QWidget* OnboardingView::buildWelcomeStep() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("welcomeStep"));
    auto* layout = stepLayout(page);
    auto* logo = new QLabel(page);
    logo->setPixmap(SymbolImage::artwork(QStringLiteral("QuilloLogo"), 56, devicePixelRatioF()));
    logo->setAlignment(Qt::AlignCenter);
    layout->addWidget(logo);
    //% "Welcome to Quillo"
    layout->addWidget(titleLabel(qtTrId("onboarding.welcome.title"), 24, page));
    //% "Speak instead of typing: hold a key, talk, let go, and your words appear where you write."
    layout->addWidget(bodyLabel(qtTrId("onboarding.welcome.subtitle"), 14, page));
    //% "Get Started"
    auto* button =
        mainButton(QStringLiteral("welcomeButton"), qtTrId("onboarding.welcome.cta"), page);
    connect(button, &QAbstractButton::clicked, this, [this] { goToStep(microphoneStep); });
    finishStep(layout, button);
    return page;
}

QWidget* OnboardingView::buildMicrophoneStep() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("microphoneStep"));
    auto* layout = stepLayout(page);
    layout->addWidget(symbolLabel(QStringLiteral("mic.fill"), 40, QuilloTheme::accent(), page));
    //% "Microphone Access"
    layout->addWidget(titleLabel(qtTrId("onboarding.mic.title"), 22, page));
    //% "Quillo listens only while you hold the hotkey. Your recording is turned into text and "
    //% "not kept."
    layout->addWidget(bodyLabel(qtTrId("onboarding.mic.description"), 13, page));

    micGrantedLine_ = new QWidget(page);
    micGrantedLine_->setObjectName(QStringLiteral("micGrantedLine"));
    auto* granted = new QHBoxLayout(micGrantedLine_);
    granted->setContentsMargins(0, 0, 0, 8);
    granted->setSpacing(8);
    granted->addStretch(1);
    granted->addWidget(symbolLabel(QStringLiteral("checkmark.circle.fill"), 16,
                                   QuilloTheme::success(), micGrantedLine_));
    //% "Microphone access granted"
    granted->addWidget(textLabel(qtTrId("onboarding.mic.granted"), 13, QFont::Medium,
                                 QuilloTheme::success(), micGrantedLine_));
    granted->addStretch(1);
    layout->addWidget(micGrantedLine_);

    // Without any input device there is nothing to grant: say so and let the user go on,
    // or a machine without a microphone would see this step at every launch.
    //% "No microphone found. You can continue and connect one later."
    micMissingHint_ = bodyLabel(qtTrId("onboarding.mic.missing"), 13, page);
    micMissingHint_->setObjectName(QStringLiteral("micMissingHint"));
    layout->addWidget(micMissingHint_);

    micButton_ = mainButton(QStringLiteral("micButton"), QString(), page);
    connect(micButton_, &QAbstractButton::clicked, this, [this] {
        if (micGranted_ || micMissing_) {
            goToStep(engineStep);
        } else {
            requestMicrophoneAccess();
        }
    });
    finishStep(layout, micButton_);
    return page;
}

QWidget* OnboardingView::buildEngineStep() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("engineStep"));
    auto* layout = stepLayout(page);
    layout->setSpacing(10);
    //% "Speech to Text"
    layout->addWidget(titleLabel(qtTrId("onboarding.engine.title"), 22, page));
    //% "Choose where your words are turned into text."
    layout->addWidget(bodyLabel(qtTrId("onboarding.engine.description"), 13, page));
    speechEngine_ = new SpeechEngineStep(settings_, services_.speech, page);
    speechEngine_->setObjectName(QStringLiteral("speechEngine"));
    layout->addWidget(speechEngine_);

    engineNext_ = mainButton(QStringLiteral("engineNextButton"), qtTrId("onboarding.next"), page);
    connect(engineNext_, &QAbstractButton::clicked, this, [this] {
        if (!speechEngine_->isUsable())
            return;
        speechEngine_->apply();
        engineMissing_ = false;
        goToStep(accessibilityStep);
    });
    connect(speechEngine_, &SpeechEngineStep::usableChanged, this, [this] { refresh(); });
    auto* later = new CapsuleButton(CapsuleButton::Style::outlined, page);
    later->setObjectName(QStringLiteral("engineLaterButton"));
    //% "Set Up Later"
    later->setText(qtTrId("onboarding.engine.later"));
    connect(later, &QAbstractButton::clicked, this, [this] {
        engineMissing_ = true;
        goToStep(accessibilityStep);
    });
    layout->addStretch(1);
    layout->addWidget(engineNext_);
    layout->addWidget(later, 0, Qt::AlignHCenter);
    return page;
}

QWidget* OnboardingView::buildAccessibilityStep() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("accessibilityStep"));
    auto* layout = stepLayout(page);
    layout->addWidget(
        symbolLabel(QStringLiteral("hand.raised.fill"), 40, QuilloTheme::accent(), page));
    //% "Allow Typing"
    layout->addWidget(titleLabel(qtTrId("onboarding.accessibility.title"), 22, page));
    //% "To paste your text into other apps, Quillo sends the paste keys for you. The help page "
    //% "explains what your desktop needs for that."
    layout->addWidget(bodyLabel(qtTrId("onboarding.accessibility.description"), 13, page));

    auto* openSettings = new CapsuleButton(CapsuleButton::Style::outlined, page);
    openSettings->setObjectName(QStringLiteral("openAccessibilitySettingsButton"));
    //% "Show Me How"
    openSettings->setText(qtTrId("onboarding.accessibility.open_settings"));
    connect(openSettings, &QAbstractButton::clicked, this,
            &OnboardingView::openAccessibilitySettings);
    layout->addWidget(openSettings, 0, Qt::AlignHCenter);

    confirmBox_ = new QToolButton(page);
    confirmBox_->setObjectName(QStringLiteral("accessibilityConfirmBox"));
    confirmBox_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    confirmBox_->setAutoRaise(true);
    confirmBox_->setIconSize(QSize(16, 16));
    confirmBox_->setCursor(Qt::PointingHandCursor);
    // Checkable, so that it reports a check box and its state to assistive technology.
    confirmBox_->setCheckable(true);
    confirmBox_->setFocusPolicy(Qt::StrongFocus);
    //% "I have allowed Quillo to type"
    confirmBox_->setText(qtTrId("onboarding.accessibility.confirm"));
    QFont confirmFont = confirmBox_->font();
    confirmFont.setPixelSize(12);
    confirmBox_->setFont(confirmFont);
    QPalette confirmPalette = confirmBox_->palette();
    confirmPalette.setColor(QPalette::ButtonText, secondaryColor(this));
    confirmBox_->setPalette(confirmPalette);
    confirmBox_->setStyleSheet(QStringLiteral(
        "QToolButton { border: none; background: none; }"
        "QToolButton:focus { border: 2px solid palette(highlight); border-radius: 4px; }"));
    connect(confirmBox_, &QAbstractButton::toggled, this, [this](bool checked) {
        accessibilityConfirmed_ = checked;
        refresh();
    });
    layout->addWidget(confirmBox_, 0, Qt::AlignHCenter);

    //% "Continue"
    accessibilityNext_ =
        mainButton(QStringLiteral("accessibilityNextButton"), qtTrId("onboarding.next"), page);
    connect(accessibilityNext_, &QAbstractButton::clicked, this, [this] {
        if (accessibilityConfirmed_) {
            goToStep(readyStep);
        }
    });
    finishStep(layout, accessibilityNext_);
    return page;
}

QWidget* OnboardingView::buildReadyStep() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("readyStep"));
    auto* layout = stepLayout(page);
    readySymbol_ =
        symbolLabel(QStringLiteral("checkmark.circle.fill"), 48, QuilloTheme::success(), page);
    layout->addWidget(readySymbol_);
    missingSymbol_ =
        symbolLabel(QStringLiteral("exclamationmark.triangle"), 48, QuilloTheme::accent(), page);
    layout->addWidget(missingSymbol_);
    readyTitle_ = titleLabel(QString(), 24, page);
    readyTitle_->setObjectName(QStringLiteral("readyTitle"));
    layout->addWidget(readyTitle_);
    readySubtitle_ = bodyLabel(QString(), 14, page);
    readySubtitle_->setObjectName(QStringLiteral("readySubtitle"));
    layout->addWidget(readySubtitle_);
    connectionButton_ = new CapsuleButton(CapsuleButton::Style::outlined, page);
    connectionButton_->setObjectName(QStringLiteral("readyConnectionButton"));
    //% "Open Connection Settings"
    connectionButton_->setText(qtTrId("onboarding.ready.open_connection"));
    connect(connectionButton_, &QAbstractButton::clicked, this, [this] {
        if (services_.openConnectionSettings)
            services_.openConnectionSettings();
    });
    layout->addWidget(connectionButton_, 0, Qt::AlignHCenter);

    // The hotkey, and beside it what to do with it when there is an engine to try.
    auto* keys = new QWidget(page);
    auto* keysLayout = new QHBoxLayout(keys);
    keysLayout->setContentsMargins(0, 4, 0, 0);
    keysLayout->setSpacing(8);
    //% "Try it here:"
    tryItHint_ = textLabel(qtTrId("onboarding.ready.try.hint"), 13, QFont::Medium,
                           palette().color(QPalette::WindowText), keys);
    tryItHint_->setObjectName(QStringLiteral("tryItHint"));
    keysLayout->addWidget(tryItHint_);
    auto* caps = new QWidget(keys);
    caps->setObjectName(QStringLiteral("hotkeyCaps"));
    hotkeyCaps_ = new QHBoxLayout(caps);
    hotkeyCaps_->setContentsMargins(0, 0, 0, 0);
    hotkeyCaps_->setSpacing(6);
    keysLayout->addWidget(caps);
    layout->addWidget(keys, 0, Qt::AlignHCenter);

    // An ordinary text field: the dictation reaches it the way it reaches any application, from
    // the hotkey through the engine to the paste. Nothing routes around the pipeline, so what
    // works here works elsewhere.
    tryIt_ = new QWidget(page);
    auto* tryItLayout = new QVBoxLayout(tryIt_);
    tryItLayout->setContentsMargins(0, 0, 0, 0);
    tryItLayout->setSpacing(4);
    tryItField_ = new QLineEdit(tryIt_);
    tryItField_->setObjectName(QStringLiteral("tryItField"));
    //% "Your words appear here"
    tryItField_->setPlaceholderText(qtTrId("onboarding.ready.try.placeholder"));
    //% "Try a dictation"
    tryItField_->setAccessibleName(qtTrId("onboarding.ready.try.field"));
    tryItLayout->addWidget(tryItField_);
    tryItFailure_ = textLabel(QString(), 12, QFont::Normal, QuilloTheme::accent(), tryIt_);
    tryItFailure_->setObjectName(QStringLiteral("tryItFailure"));
    tryItFailure_->setWordWrap(true);
    tryItFailure_->hide();
    tryItLayout->addWidget(tryItFailure_);
    layout->addWidget(tryIt_);
    // The next text, dictated or typed, ends the story of the failed attempt.
    connect(tryItField_, &QLineEdit::textChanged, this, &OnboardingView::clearTryItFailure);
    if (services_.dictation) {
        connect(services_.dictation, &DictationCoordinator::failureReported, this,
                &OnboardingView::showTryItFailure);
    }

    auto* hint = new QWidget(page);
    auto* hintLayout = new QHBoxLayout(hint);
    hintLayout->setContentsMargins(0, 12, 0, 0);
    hintLayout->setSpacing(8);
    hintLayout->addWidget(
        symbolLabel(QStringLiteral("menubar.arrow.up.rectangle"), 16, secondaryColor(this), hint));
    //% "Quillo lives in the system tray. Click its icon for modes and settings."
    auto* hintText = textLabel(qtTrId("onboarding.ready.menubar_hint"), 12, QFont::Normal,
                               secondaryColor(this), hint);
    hintText->setWordWrap(true);
    hintLayout->addWidget(hintText, 1);
    // Full width: a centred item gets its one-line width, and a wrapped text would be cut.
    layout->addWidget(hint);

    //% "Start Dictating"
    auto* button = mainButton(QStringLiteral("readyButton"), qtTrId("onboarding.ready.cta"), page);
    connect(button, &QAbstractButton::clicked, this, &OnboardingView::completeOnboarding);
    finishStep(layout, button);
    return page;
}

bool OnboardingView::isAnimating() const {
    return dots_->isAnimating() || (fadeIn_ && fadeIn_->state() == QAbstractAnimation::Running);
}

void OnboardingView::goToStep(int step) {
    if (step == currentStep_ || step < 0 || step >= totalSteps) {
        return;
    }
    currentStep_ = step;
    if (step == readyStep) {
        // The caps show the hotkey stored at the moment the step appears.
        refreshHotkeyCaps();
    }
    steps_->setCurrentIndex(step);
    dots_->setCurrent(step);
    if (showsTryIt()) {
        // The user holds the hotkey next: the paste goes where the focus is.
        tryItField_->setFocus(Qt::OtherFocusReason);
    }

    QWidget* page = steps_->currentWidget();
    auto* effect = new QGraphicsOpacityEffect(page);
    effect->setOpacity(0);
    page->setGraphicsEffect(effect);
    if (fadeIn_) {
        fadeIn_->stop();
        fadeIn_->deleteLater();
    }
    fadeIn_ = new QPropertyAnimation(effect, "opacity", this);
    fadeIn_->setDuration(transitionMs);
    fadeIn_->setEasingCurve(QEasingCurve::InOutQuad);
    fadeIn_->setStartValue(0.0);
    fadeIn_->setEndValue(1.0);
    // An opacity effect renders the page through an offscreen buffer: drop it once visible.
    connect(fadeIn_, &QAbstractAnimation::finished, page,
            [page] { page->setGraphicsEffect(nullptr); });
    fadeIn_->start();
    refresh();
}

void OnboardingView::refresh() {
    micGrantedLine_->setVisible(micGranted_);
    micMissingHint_->setVisible(micMissing_);
    if (micGranted_ || micMissing_) {
        //% "Continue"
        micButton_->setText(qtTrId("onboarding.next"));
    } else {
        //% "Allow Microphone"
        micButton_->setText(qtTrId("onboarding.mic.cta"));
    }
    micButton_->updateGeometry();

    const bool confirmed = accessibilityConfirmed_;
    confirmBox_->setIcon(SymbolImage::icon(
        confirmed ? QStringLiteral("checkmark.square.fill") : QStringLiteral("square"), 16,
        confirmed ? palette().color(QPalette::WindowText) : secondaryColor(this)));
    confirmBox_->setProperty(
        "symbol", confirmed ? QStringLiteral("checkmark.square.fill") : QStringLiteral("square"));
    accessibilityNext_->setEnabled(confirmed);
    engineNext_->setEnabled(speechEngine_->isUsable());

    readySymbol_->setVisible(!engineMissing_);
    missingSymbol_->setVisible(engineMissing_);
    connectionButton_->setVisible(engineMissing_);
    tryItHint_->setVisible(!engineMissing_);
    tryIt_->setVisible(!engineMissing_);
    if (engineMissing_) {
        //% "Speech to Text Is Not Set Up"
        readyTitle_->setText(qtTrId("onboarding.ready.missing_title"));
        //% "Quillo cannot turn your words into text yet: choose an engine in the Connection "
        //% "settings."
        readySubtitle_->setText(qtTrId("onboarding.ready.missing_subtitle"));
    } else {
        //% "You're All Set"
        readyTitle_->setText(qtTrId("onboarding.ready.title"));
        //% "Hold your hotkey, speak, and release it to insert the text."
        readySubtitle_->setText(qtTrId("onboarding.ready.subtitle"));
    }
    update();
}

void OnboardingView::refreshHotkeyCaps() {
    QWidget* caps = hotkeyCaps_->parentWidget();
    while (QLayoutItem* item = hotkeyCaps_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QStringList parts =
        HotkeyUtils::keyParts(static_cast<int>(settings_.hotkeyKeyCode()),
                              static_cast<quint32>(settings_.hotkeyModifiers()));
    for (const QString& part : parts) {
        hotkeyCaps_->addWidget(new KeyPill(part, caps));
    }
    // The caps are pictures: a screen reader learns the keys from the field.
    //% "Hold %1 and speak; your words appear in this field."
    tryItField_->setAccessibleDescription(
        qtTrId("onboarding.ready.try.description").arg(parts.join(QLatin1Char('+'))));
}

bool OnboardingView::showsTryIt() const {
    return currentStep_ == readyStep && !engineMissing_;
}

void OnboardingView::showTryItFailure(const QString& message) {
    if (!showsTryIt()) {
        return;
    }
    tryItFailure_->setText(message);
    tryItFailure_->show();
}

void OnboardingView::clearTryItFailure() {
    tryItFailure_->clear();
    tryItFailure_->hide();
}

void OnboardingView::requestMicrophoneAccess() {
    if (!services_.requestMicrophone) {
        applyMicrophoneAnswer(true);
        return;
    }
    askForMicrophone(QPointer<OnboardingView>(this), services_.requestMicrophone);
}

QCoro::Task<> OnboardingView::askForMicrophone(QPointer<OnboardingView> view,
                                               std::function<QCoro::Task<bool>()> request) {
    QCoro::Task<bool> pending = request();
    const bool granted = co_await pending;
    if (!view) {
        co_return;
    }
    // The answer may resume us on the audio backend's thread; the view is touched on its own.
    QMetaObject::invokeMethod(view.data(), [view, granted] {
        if (view) {
            view->applyMicrophoneAnswer(granted);
        }
    });
}

void OnboardingView::applyMicrophoneAnswer(bool granted) {
    micGranted_ = granted;
    micMissing_ = !granted;
    refresh();
    if (granted && currentStep_ == microphoneStep) {
        goToStep(engineStep);
    }
}

QUrl OnboardingView::accessibilityHelpUrl() {
    return QUrl(QString::fromUtf8(BuildConfig::webUrl) + QStringLiteral("/help/synthetic-input"));
}

void OnboardingView::openAccessibilitySettings() {
    const QUrl url = accessibilityHelpUrl();
    if (!url.isValid()) {
        return;
    }
    if (services_.openUrl) {
        services_.openUrl(url);
    } else {
        QDesktopServices::openUrl(url);
    }
}

void OnboardingView::completeOnboarding() {
    settings_.setStoredBoolean(QString::fromLatin1(AppSettings::Keys::onboardingCompleted), true);
    if (services_.loginItems) {
        services_.loginItems->registerItem();  // a refusal changes nothing here
    }
    settings_.setStoredBoolean(QString::fromLatin1(AppSettings::Keys::showInDock), true);
    if (services_.activationPolicy) {
        services_.activationPolicy->setPolicy(ActivationPolicy::Policy::regular);
    }
    if (onComplete_) {
        onComplete_();
    }
}
