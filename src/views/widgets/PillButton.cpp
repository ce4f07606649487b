#include "views/widgets/PillButton.h"

#include "theme/SemanticColors.h"

#include <QFontMetrics>
#include <QPainter>

PillButton::PillButton(const QString& title, Style style, QWidget* parent)
    : QAbstractButton(parent), style_(style) {
    setText(title);
    setFont(SemanticColors::systemFont(12, QFont::Medium));
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize PillButton::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 2 * 18, metrics.height() + 2 * 7};
}

void PillButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal outline = outlineWidth();
    const QRectF shape = QRectF(rect()).adjusted(outline / 2, outline / 2, -outline / 2,
                                                 -outline / 2);
    const bool primary = style_ == Style::primary;
    QColor fill = primary ? SemanticColors::primary(this) : SemanticColors::controlBackground(this);
    if (isDown()) fill = fill.darker(115);
    painter.setBrush(fill);
    painter.setPen(outline > 0 ? QPen(SemanticColors::separator(this), outline) : Qt::NoPen);
    painter.drawRoundedRect(shape, shape.height() / 2, shape.height() / 2);
    painter.setPen(primary ? SemanticColors::windowBackground(this) : SemanticColors::primary(this));
    painter.drawText(rect(), Qt::AlignCenter, text());
}
