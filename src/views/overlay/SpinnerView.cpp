#include "views/overlay/SpinnerView.h"

#include "base/Scheduler.h"

#include <QPainter>

#include <cmath>

namespace {

constexpr Scheduler::Duration frameInterval{16};

}  // namespace

SpinnerView::SpinnerView(Scheduler& scheduler, QWidget* parent)
    : QWidget(parent), scheduler_(scheduler) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void SpinnerView::start() {
    if (frameTimer_.isSet()) {
        return;
    }
    rotation_ = 0;
    started_ = scheduler_.now();
    frameTimer_ = scheduler_.scheduleRepeating(frameInterval, [this] { advance(); });
    update();
}

void SpinnerView::stop() {
    frameTimer_.cancel();
    rotation_ = 0;
}

void SpinnerView::advance() {
    // Linear and endless: the angle follows the clock, so a late frame does not slow the turn.
    const auto elapsed = (scheduler_.now() - started_) % turnDuration;
    rotation_ = 360.0 * static_cast<double>(elapsed.count()) / turnDuration.count();
    update();
}

QSize SpinnerView::sizeHint() const {
    return QSize(static_cast<int>(diameter), static_cast<int>(diameter));
}

void SpinnerView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(Qt::white, lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.translate(width() / 2.0, height() / 2.0);
    painter.rotate(rotation_);
    const QRectF circle(-diameter / 2, -diameter / 2, diameter, diameter);
    // From three o'clock, clockwise on screen (Qt's positive angles run counter-clockwise).
    painter.drawArc(circle, 0, -static_cast<int>(std::lround(arcFraction * 360 * 16)));
}
