#include "views/widgets/SettingsCard.h"

#include "theme/SemanticColors.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

SettingsCard::SettingsCard(QWidget* parent) : QWidget(parent), layout_(new QVBoxLayout(this)) {
    layout_->setContentsMargins(20, 20, 20, 20);
    layout_->setSpacing(0);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
}

void SettingsCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor grey = SemanticColors::systemGrey(this);
    const QRectF shape = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(SemanticColors::withOpacity(grey, 0.20), 1));
    painter.setBrush(SemanticColors::withOpacity(grey, 0.06));
    painter.drawRoundedRect(shape, 10, 10);
}
