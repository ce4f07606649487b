#include "views/overlay/OverlayWindowController.h"

#include "base/Scheduler.h"
#include "platform/CompositorStatus.h"
#include "services/audio/AudioLevelSource.h"
#include "views/overlay/ErrorOverlayView.h"
#include "views/overlay/OverlayPanel.h"
#include "views/overlay/SpinnerView.h"
#include "views/overlay/WaveformView.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace {

int graphemeCount(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1) {
        ++count;
    }
    return count;
}

QScreen* screenUserWorksOn() {
    if (QScreen* screen = QGuiApplication::screenAt(QCursor::pos())) {
        return screen;
    }
    return QGuiApplication::primaryScreen();
}

}  // namespace

OverlayWindowController::OverlayWindowController(Scheduler& scheduler, CompositorStatus& compositor)
    : scheduler_(scheduler), compositor_(compositor) {}

OverlayWindowController::~OverlayWindowController() = default;

QWidget* OverlayWindowController::panel() const {
    return panel_.get();
}

int OverlayWindowController::errorWidth(const QString& message) {
    const double width = graphemeCount(message) * 7.5 + 40;
    return static_cast<int>(std::lround(std::clamp(width, 160.0, 400.0)));
}

void OverlayWindowController::ensurePanel() {
    if (!panel_) {
        panel_ = std::make_unique<OverlayPanel>(scheduler_);
        panel_->resize(defaultSize);
    }
}

DictationOverlay::Content OverlayWindowController::show(RecordingStateValue state,
                                                        AudioLevelSource* levels) {
    ensurePanel();
    levels_ = levels;
    errorDismissal_.cancel();
    if (isRecording(state)) {
        showWaveform();
    } else if (state == RecordingStateValue::processing) {
        showSpinner();
    } else {
        dismiss();
        return noContent;
    }
    placeAndRaise();
    showing_ = ++lastContent_;
    showingWaveform_ = isRecording(state);
    return showing_;
}

void OverlayWindowController::showLiveText(Content content, const QString& text) {
    if (content == noContent || content != showing_ || !showingWaveform_) {
        return;
    }
    const bool shown = !text.trimmed().isEmpty();
    panel_->resize(shown ? QSize(liveTextWidth, panel_->heightWithLiveText()) : defaultSize);
    panel_->setLiveText(text);
    placeAndRaise();
}

void OverlayWindowController::showWaveform() {
    stopAnimations();
    panel_->showContent(panel_->waveform(), defaultSize);
    // The timer belongs to this controller, so it cannot outlive it.
    levelTimer_ = scheduler_.scheduleRepeating(levelInterval, [this] {
        if (levels_) {
            panel_->waveform()->setLevel(levels_->currentLevel());
        }
    });
}

void OverlayWindowController::showSpinner() {
    levelTimer_.cancel();
    stopAnimations();
    panel_->showContent(panel_->spinner(), defaultSize);
    panel_->spinner()->start();
}

void OverlayWindowController::showError(const QString& message) {
    ensurePanel();
    levelTimer_.cancel();
    errorDismissal_.cancel();
    stopAnimations();
    ErrorOverlayView* error = panel_->errorView();
    error->setMessage(message);
    panel_->showContent(error, QSize(errorWidth(message), errorHeight));
    placeAndRaise();
    showing_ = ++lastContent_;
    showingWaveform_ = false;
    errorDismissal_ = scheduler_.scheduleOnce(errorDisplayTime, [this] { dismiss(); });
}

void OverlayWindowController::dismiss() {
    levelTimer_.cancel();
    errorDismissal_.cancel();
    if (panel_) {
        stopAnimations();
        panel_->hide();
    }
    levels_ = nullptr;
    showing_ = noContent;
    showingWaveform_ = false;
}

void OverlayWindowController::dismissIfShowing(Content content) {
    if (content != noContent && content == showing_) {
        dismiss();
    }
}

void OverlayWindowController::stopAnimations() {
    panel_->waveform()->reset();
    panel_->spinner()->stop();
}

void OverlayWindowController::placeAndRaise() {
    panel_->setShapedToPill(!compositor_.isCompositing());
    if (QScreen* screen = screenUserWorksOn()) {
        const QRect area = screen->availableGeometry();
        const QSize size = panel_->size();
        const int x = area.x() + (area.width() - size.width()) / 2;
        const int y = area.y() + area.height() - bottomMargin - size.height();
        panel_->move(x, y);
    }
    if (panel_->isVisible()) {
        panel_->raise();  // a newly mapped window is on top already
    } else {
        panel_->show();
    }
}
