#include "views/widgets/SegmentedControl.h"

#include "theme/SemanticColors.h"

#include <QMouseEvent>
#include <QPainter>

#include <utility>

namespace {
constexpr int inset = 2;
}

SegmentedControl::SegmentedControl(QList<Segment> segments, QWidget* parent)
    : QWidget(parent), segments_(std::move(segments)) {
    setFont(SemanticColors::systemFont(13));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(28);
    setCursor(Qt::PointingHandCursor);
}

QString SegmentedControl::value() const {
    return selected_ >= 0 ? segments_[selected_].first : QString();
}

void SegmentedControl::setValue(const QString& value) {
    selected_ = -1;
    for (int i = 0; i < count(); ++i) {
        if (segments_[i].first == value) selected_ = i;
    }
    update();
}

QRect SegmentedControl::segmentRect(int index) const {
    if (count() == 0) return {};
    const int inner = width() - 2 * inset;
    const int left = inset + inner * index / count();
    const int right = inset + inner * (index + 1) / count();
    return {left, inset, right - left, height() - 2 * inset};
}

QSize SegmentedControl::sizeHint() const {
    const QFontMetrics metrics(font());
    int widest = 0;
    for (const auto& segment : segments_) {
        widest = qMax(widest, metrics.horizontalAdvance(segment.second));
    }
    return {count() * (widest + 24) + 2 * inset, 28};
}

void SegmentedControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor grey = SemanticColors::systemGrey(this);
    painter.setPen(Qt::NoPen);
    painter.setBrush(SemanticColors::withOpacity(grey, 0.14));
    painter.drawRoundedRect(QRectF(rect()), 7, 7);
    for (int i = 0; i < count(); ++i) {
        const QRect segment = segmentRect(i);
        if (i == selected_) {
            painter.setPen(QPen(SemanticColors::withOpacity(grey, 0.25), 0.5));
            painter.setBrush(SemanticColors::controlBackground(this));
            painter.drawRoundedRect(QRectF(segment), 5, 5);
        } else if (i > 0 && i != selected_ + 1) {
            painter.setPen(QPen(SemanticColors::withOpacity(grey, 0.35), 1));
            painter.drawLine(QPointF(segment.left(), segment.top() + 6),
                             QPointF(segment.left(), segment.bottom() - 6));
        }
        painter.setPen(SemanticColors::primary(this));
        painter.drawText(segment, Qt::AlignCenter, segments_[i].second);
    }
}

void SegmentedControl::mousePressEvent(QMouseEvent* event) {
    for (int i = 0; i < count(); ++i) {
        if (segmentRect(i).contains(event->position().toPoint()) && i != selected_) {
            selected_ = i;
            update();
            emit valueChosen(segments_[i].first);
            return;
        }
    }
}
