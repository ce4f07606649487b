#include "views/settings/sections/HistoryRow.h"

#include "theme/SemanticColors.h"
#include "views/widgets/ClampedTextLabel.h"
#include "views/widgets/SettingsText.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

HistoryRow::HistoryRow(const QString& timeText, const QString& text, QWidget* parent)
    : QWidget(parent), timeText_(timeText), text_(text), restore_(new QTimer(this)) {
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(0, 10, 0, 10);
    line->setSpacing(14);
    time_ = SettingsText::label(timeText, 12, QFont::Normal, SettingsText::Tone::secondary);
    time_->setFont(SemanticColors::systemFont(12, QFont::Normal, true));
    //% "Copied"
    const QString copied = qtTrId("home.copied");
    // At least 50 points; wider where the locale's time or the confirmation needs it.
    time_->setMinimumWidth(
        qMax(50, qMax(time_->sizeHint().width(), time_->fontMetrics().horizontalAdvance(copied))));
    line->addWidget(time_, 0, Qt::AlignTop);
    auto* label = new ClampedTextLabel(text, 2);
    label->setFont(SemanticColors::systemFont(13));
    line->addWidget(label, 1, Qt::AlignTop);
    setCursor(Qt::PointingHandCursor);
    //% "Click to copy"
    setToolTip(qtTrId("home.copy_hint"));
    restore_->setSingleShot(true);
    restore_->setInterval(confirmationMs);
    connect(restore_, &QTimer::timeout, this, [this] { time_->setText(timeText_); });
}

void HistoryRow::copy() {
    QGuiApplication::clipboard()->setText(text_);
    time_->setText(qtTrId("home.copied"));
    restore_->start();
}

void HistoryRow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        copy();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void HistoryRow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    //% "Copy"
    menu.addAction(qtTrId("home.copy"), this, &HistoryRow::copy);
    menu.exec(event->globalPos());
}
