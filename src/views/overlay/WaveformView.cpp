#include "views/overlay/WaveformView.h"

#include "base/Scheduler.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// About 60 frames a second while the bars move.
constexpr Scheduler::Duration frameInterval{16};

QEasingCurve easeOut() {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0, 0), QPointF(0.58, 1), QPointF(1, 1));
    return curve;
}

}  // namespace

WaveformView::WaveformView(Scheduler& scheduler, QWidget* parent)
    : QWidget(parent),
      scheduler_(scheduler),
      easing_(easeOut()),
      from_(heightsFor(0)),
      target_(from_),
      displayed_(from_) {
    setAttribute(Qt::WA_TranslucentBackground);
}

double WaveformView::barHeight(double level, double ratio) {
    return std::max(level, restLevel) * (ratio * 19) + 3;
}

WaveformView::Heights WaveformView::heightsFor(double level) {
    Heights heights{};
    for (int i = 0; i < barCount; ++i) {
        heights[i] = barHeight(level, baseRatios[i]);
    }
    return heights;
}

void WaveformView::setLevel(float level) {
    const Heights target = heightsFor(static_cast<double>(level));
    if (target == target_) {
        return;
    }
    from_ = displayed_;
    target_ = target;
    animationStart_ = scheduler_.now();
    if (!frameTimer_.isSet()) {
        frameTimer_ = scheduler_.scheduleRepeating(frameInterval, [this] { advanceAnimation(); });
    }
}

void WaveformView::reset() {
    frameTimer_.cancel();
    target_ = from_ = displayed_ = heightsFor(0);
    update();
}

void WaveformView::advanceAnimation() {
    const double elapsed = static_cast<double>((scheduler_.now() - animationStart_).count());
    const double progress = std::clamp(elapsed / animationDuration.count(), 0.0, 1.0);
    const double eased = easing_.valueForProgress(progress);
    for (int i = 0; i < barCount; ++i) {
        displayed_[i] = from_[i] + (target_[i] - from_[i]) * eased;
    }
    if (progress >= 1.0) {
        displayed_ = target_;
        frameTimer_.cancel();
    }
    update();
}

QSize WaveformView::sizeHint() const {
    return QSize(static_cast<int>(std::ceil(rowWidth())), static_cast<int>(rowHeight));
}

void WaveformView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    // The row starts on a whole pixel so the bars' sides stay crisp; the tallest bar (22) may
    // exceed the 18-point row, which does not clip it.
    const double left = std::floor((width() - rowWidth()) / 2);
    const double centreY = height() / 2.0;
    for (int i = 0; i < barCount; ++i) {
        const double h = displayed_[i];
        const QRectF bar(left + i * (barWidth + barSpacing), centreY - h / 2, barWidth, h);
        painter.drawRoundedRect(bar, 1.5, 1.5);
    }
}
