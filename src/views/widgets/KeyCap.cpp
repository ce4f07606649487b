#include "views/widgets/KeyCap.h"

#include "theme/SemanticColors.h"

#include <QFontMetrics>
#include <QPainter>

KeyCap::KeyCap(const QString& text, const QFont& font, QMargins padding, qreal cornerRadius,
               Look look, QWidget* parent)
    : QWidget(parent), text_(text), padding_(padding), cornerRadius_(cornerRadius), look_(look) {
    setFont(font);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(text);
}

QSize KeyCap::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text_) + padding_.left() + padding_.right(),
            metrics.height() + padding_.top() + padding_.bottom()};
}

void KeyCap::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF shape = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (look_ == Look::onGuide) {
        // The guide is filled with the text colour: white ink in light mode, and the window
        // colour in dark mode where the fill itself is light.
        const QColor ink = SemanticColors::isDark(this) ? SemanticColors::windowBackground(this)
                                                        : QColor(Qt::white);
        painter.setPen(Qt::NoPen);
        painter.setBrush(SemanticColors::withOpacity(ink, 0.15));
        painter.drawRoundedRect(shape, cornerRadius_, cornerRadius_);
        painter.setPen(ink);
    } else {
        const QColor grey = SemanticColors::systemGrey(this);
        painter.setPen(QPen(SemanticColors::withOpacity(grey, 0.25), 1));
        painter.setBrush(SemanticColors::withOpacity(grey, 0.12));
        painter.drawRoundedRect(shape, cornerRadius_, cornerRadius_);
        painter.setPen(SemanticColors::primary(this));
    }
    painter.drawText(rect(), Qt::AlignCenter, text_);
}
