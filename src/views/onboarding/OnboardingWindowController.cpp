#include "views/onboarding/OnboardingWindowController.h"

#include "models/AppSettings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace {
// Tall enough for the speech-to-text step: three choices, the chosen one's panel, two buttons.
constexpr QSize contentSize(480, 520);
}

OnboardingWindowController& OnboardingWindowController::shared() {
    static OnboardingWindowController* controller = new OnboardingWindowController;
    return *controller;
}

void OnboardingWindowController::installServices(OnboardingView::Services services) {
    shared().services_ = std::move(services);
}

void OnboardingWindowController::show() {
    if (!window_) {
        auto* window =
            new QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                     Qt::CustomizeWindowHint);
        window->setObjectName(QStringLiteral("onboardingWindow"));
        window->setWindowTitle(QStringLiteral("Quillo"));
        window->setFixedSize(contentSize);
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        view_ = new OnboardingView(
            AppSettings::shared(), services_, [this] { finish(); }, window);
        layout->addWidget(view_);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            window->move(screen->availableGeometry().center() - window->rect().center());
        }
        window_ = window;
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void OnboardingWindowController::finish() {
    if (QWidget* window = window_) {
        window_.clear();
        window->close();
        window->deleteLater();
    }
    emit completed();
}

void OnboardingWindowController::reset() {
    delete window_.data();
    window_.clear();
}
