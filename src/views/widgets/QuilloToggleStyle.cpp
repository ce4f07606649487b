#include "views/widgets/QuilloToggleStyle.h"

#include "theme/SemanticColors.h"

#include <QPainter>
#include <QVariantAnimation>

namespace {
constexpr qreal knobDiameter = 18;
constexpr qreal knobInset = 2;
}  // namespace

QuilloToggleStyle::QuilloToggleStyle(QWidget* parent)
    : QAbstractButton(parent), animation_(new QVariantAnimation(this)) {
    setCheckable(true);
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    animation_->setDuration(150);
    animation_->setEasingCurve(QEasingCurve::InOutQuad);
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        knobPosition_ = value.toReal();
        update();
    });
    connect(this, &QAbstractButton::toggled, this, &QuilloToggleStyle::animateKnob);
}

void QuilloToggleStyle::animateKnob(bool on) {
    animation_->stop();
    if (!isVisible()) {
        // Nothing to watch: set from stored state before showing, jump straight to the end.
        knobPosition_ = on ? 1 : 0;
        update();
        return;
    }
    animation_->setStartValue(knobPosition_);
    animation_->setEndValue(on ? 1.0 : 0.0);
    animation_->start();
}

QRectF QuilloToggleStyle::knobRect() const {
    const qreal travel = width() - 2 * knobInset - knobDiameter;
    return {knobInset + travel * knobPosition_, (height() - knobDiameter) / 2, knobDiameter,
            knobDiameter};
}

QColor QuilloToggleStyle::trackColour() const {
    return isChecked() ? SemanticColors::primary(this)
                       : SemanticColors::withOpacity(SemanticColors::separator(this), 0.6);
}

void QuilloToggleStyle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(trackColour());
    painter.drawRoundedRect(rect(), height() / 2.0, height() / 2.0);

    const QRectF knob = knobRect();
    painter.setBrush(QColor(0, 0, 0, int(255 * 0.15)));
    painter.drawEllipse(knob.translated(0, 1).adjusted(-0.5, -0.5, 0.5, 0.5));
    painter.setBrush(isChecked() ? SemanticColors::windowBackground(this) : QColor(Qt::white));
    painter.drawEllipse(knob);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), height() / 2.0 - 1,
                                height() / 2.0 - 1);
    }
}
