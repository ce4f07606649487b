#include "views/widgets/SegmentedControl.h"

#include "theme/SemanticColors.h"
#include "views/widgets/SegmentedControlAccessible.h"

#include <QAccessible>
#include <QKeyEvent>
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
    setFocusPolicy(Qt::StrongFocus);
    SegmentedControlAccessible::installFactory();
}

QString SegmentedControl::value() const {
    return selected_ >= 0 ? segments_[selected_].first : QString();
}

void SegmentedControl::setValue(const QString& value) {
    int found = -1;
    for (int i = 0; i < count(); ++i) {
        if (segments_[i].first == value)
            found = i;
    }
    select(found);
}

void SegmentedControl::select(int index) {
    if (index == selected_)
        return;
    const int previous = selected_;
    selected_ = index;
    update();
    SegmentedControlAccessible::notifySelectionChanged(this, previous, selected_);
}

void SegmentedControl::choose(int index) {
    if (index < 0 || index >= count() || index == selected_)
        return;
    select(index);
    emit valueChosen(segments_[index].first);
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
    if (hasFocus()) {
        // The keyboard's place: a ring around the whole control, in the accent of focus.
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 7, 7);
    }
}

void SegmentedControl::mousePressEvent(QMouseEvent* event) {
    for (int i = 0; i < count(); ++i) {
        if (segmentRect(i).contains(event->position().toPoint())) {
            choose(i);
            return;
        }
    }
}

void SegmentedControl::keyPressEvent(QKeyEvent* event) {
    const int last = count() - 1;
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            choose(selected_ < 0 ? 0 : qMax(0, selected_ - 1));
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            choose(selected_ < 0 ? 0 : qMin(last, selected_ + 1));
            break;
        case Qt::Key_Home:
            choose(0);
            break;
        case Qt::Key_End:
            choose(last);
            break;
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (selected_ < 0)
                choose(0);
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

void SegmentedControl::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void SegmentedControl::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}
