#include "views/onboarding/ProgressDots.h"

#include <QPainter>

#include <cmath>

namespace {
constexpr int dotSize = 6;
constexpr int spacing = 8;
}  // namespace

ProgressDots::ProgressDots(int count, QWidget* parent) : QWidget(parent), count_(count) {
    animation_.setDuration(250);
    animation_.setEasingCurve(QEasingCurve::InOutQuad);
    connect(&animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        highlight_ = value.toReal();
        update();
    });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ProgressDots::setCurrent(int index) {
    if (index == current_) {
        return;
    }
    current_ = index;
    animation_.stop();
    animation_.setStartValue(highlight_);
    animation_.setEndValue(static_cast<qreal>(index));
    animation_.start();
}

QSize ProgressDots::sizeHint() const {
    return {count_ * dotSize + (count_ - 1) * spacing, dotSize};
}

void ProgressDots::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QColor primary = palette().color(QPalette::WindowText);
    const int left = (width() - sizeHint().width()) / 2;
    const int top = (height() - dotSize) / 2;
    for (int i = 0; i < count_; ++i) {
        // Full colour at the highlight, 20 % elsewhere, blended while it moves.
        const qreal closeness = std::max(0.0, 1.0 - std::abs(highlight_ - i));
        QColor color = primary;
        color.setAlphaF(static_cast<float>(0.2 + 0.8 * closeness));
        painter.setBrush(color);
        painter.drawEllipse(QRectF(left + i * (dotSize + spacing), top, dotSize, dotSize));
    }
}
