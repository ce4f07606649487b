#include "views/onboarding/CapsuleButton.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

CapsuleButton::CapsuleButton(Style style, QWidget* parent)
    : QAbstractButton(parent), style_(style) {
    QFont font = this->font();
    font.setPixelSize(style_ == Style::main ? 14 : 13);
    font.setWeight(style_ == Style::main ? QFont::DemiBold : QFont::Medium);
    setFont(font);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(style_ == Style::main ? QSizePolicy::Expanding : QSizePolicy::Fixed,
                  QSizePolicy::Fixed);
}

QMargins CapsuleButton::padding() const {
    return style_ == Style::main ? QMargins(18, 12, 18, 12) : QMargins(18, 9, 18, 9);
}

QSize CapsuleButton::sizeHint() const {
    const QFontMetrics metrics(font());
    const QMargins pad = padding();
    return {metrics.horizontalAdvance(text()) + pad.left() + pad.right(),
            metrics.height() + pad.top() + pad.bottom()};
}

void CapsuleButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::LanguageChange) {
        updateGeometry();
    }
    QAbstractButton::changeEvent(event);
}

void CapsuleButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath capsule;
    capsule.addRoundedRect(area, area.height() / 2, area.height() / 2);

    const QColor primary = palette().color(QPalette::Active, QPalette::WindowText);
    QColor fill;
    QColor textColor;
    if (style_ == Style::main) {
        fill = primary;
        fill.setAlphaF(isEnabled() ? (isDown() ? 0.8f : 1.0f) : 0.3f);
        textColor = palette().color(QPalette::Active, QPalette::Window);
    } else {
        fill = palette().color(QPalette::Active, QPalette::Base);
        if (isDown()) {
            fill = fill.darker(108);
        }
        textColor = primary;
    }
    painter.fillPath(capsule, fill);
    if (style_ == Style::outlined) {
        QColor separator = primary;
        separator.setAlphaF(0.2f);
        painter.setPen(QPen(separator, 0.5));
        painter.drawPath(capsule);
    }
    if (hasFocus()) {
        painter.strokePath(capsule, QPen(palette().color(QPalette::Highlight), 2));
    }
    painter.setPen(textColor);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, text());
}

void CapsuleButton::keyPressEvent(QKeyEvent* event) {
    // Enter presses the focused button too, as Space does: each step has one main action.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (isEnabled())
            click();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}
