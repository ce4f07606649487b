#include "views/overlay/ErrorOverlayView.h"

#include "theme/QuilloTheme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

ErrorOverlayView::ErrorOverlayView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void ErrorOverlayView::setMessage(const QString& message) {
    message_ = message;
    update();
}

QSizeF ErrorOverlayView::iconSize() {
    // The size of the bold 12-point warning symbol.
    return QSizeF(13, 12);
}

QFont ErrorOverlayView::messageFont() const {
    QFont result = font();
    result.setPixelSize(11);
    result.setWeight(QFont::Medium);
    return result;
}

void ErrorOverlayView::paintIcon(QPainter& painter, const QRectF& box) const {
    QPainterPath triangle;
    triangle.moveTo(box.center().x(), box.top());
    triangle.lineTo(box.right(), box.bottom());
    triangle.lineTo(box.left(), box.bottom());
    triangle.closeSubpath();
    painter.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::white);
    painter.drawPath(triangle);

    // The mark is cut out of the symbol: it shows the pill's colour beneath.
    const double x = box.center().x();
    painter.setPen(QPen(QuilloTheme::accent(), 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(x, box.top() + 4), QPointF(x, box.bottom() - 4));
    painter.drawPoint(QPointF(x, box.bottom() - 1.8));
}

void ErrorOverlayView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QFont font = messageFont();
    const QFontMetricsF metrics(font);
    const QSizeF icon = iconSize();
    const double available = std::max(0.0, width() - 2.0 * horizontalPadding);
    const double textRoom = std::max(0.0, available - icon.width() - spacing);
    const QString text = metrics.elidedText(message_, Qt::ElideRight, textRoom);
    const double rowWidth =
        std::min(available, icon.width() + spacing + metrics.horizontalAdvance(text));

    const double left = (width() - rowWidth) / 2;
    const double centreY = height() / 2.0;
    paintIcon(painter, QRectF(QPointF(left, centreY - icon.height() / 2), icon));

    painter.setFont(font);
    painter.setPen(Qt::white);
    const QRectF textBox(left + icon.width() + spacing, 0, textRoom, height());
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}
