#include "views/KeyPill.h"

#include "theme/SemanticColors.h"

#include <QFontMetrics>
#include <QPainter>

KeyPill::KeyPill(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
    setFont(SemanticColors::systemFont(13, QFont::Medium));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(text);
}

QSize KeyPill::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text_) + 2 * 12, metrics.height() + 2 * 6};
}

void KeyPill::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor grey = SemanticColors::systemGrey(this);
    painter.setPen(QPen(SemanticColors::withOpacity(grey, 0.25), 1));
    painter.setBrush(SemanticColors::withOpacity(grey, 0.12));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    painter.setPen(SemanticColors::primary(this));
    painter.drawText(rect(), Qt::AlignCenter, text_);
}
