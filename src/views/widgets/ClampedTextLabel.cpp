#include "views/widgets/ClampedTextLabel.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>

ClampedTextLabel::ClampedTextLabel(const QString& text, int maxLines, QWidget* parent)
    : QWidget(parent), text_(text), maxLines_(maxLines) {
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QStringList ClampedTextLabel::visibleLines(int width) const {
    QStringList lines;
    if (width <= 0) return lines;
    QString flat = text_;
    flat.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(flat, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    while (true) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        if (lines.size() == maxLines_ - 1) {
            // The last allowed line takes the rest of the text, elided.
            const QString rest = flat.mid(line.textStart()).replace(QChar::LineSeparator, ' ');
            const QFontMetrics metrics(font());
            lines << metrics.elidedText(rest, Qt::ElideRight, width);
            break;
        }
        lines << flat.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

int ClampedTextLabel::heightForWidth(int width) const {
    const int count = qMax(1, int(visibleLines(width).size()));
    return count * QFontMetrics(font()).lineSpacing();
}

QSize ClampedTextLabel::sizeHint() const {
    const int width = qMax(100, this->width());
    return {width, heightForWidth(width)};
}

QSize ClampedTextLabel::minimumSizeHint() const { return {50, QFontMetrics(font()).lineSpacing()}; }

void ClampedTextLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const int spacing = QFontMetrics(font()).lineSpacing();
    int y = 0;
    for (const QString& line : visibleLines(width())) {
        painter.drawText(QRect(0, y, width(), spacing), Qt::AlignLeft | Qt::AlignVCenter, line);
        y += spacing;
    }
}
