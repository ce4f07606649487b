#include "views/settings/SidebarButton.h"

#include "theme/SemanticColors.h"
#include "views/widgets/SymbolImage.h"

#include <QPainter>
#include <QVariantAnimation>

SidebarButton::SidebarButton(SettingsSection section, QWidget* parent)
    : QAbstractButton(parent), section_(section), animation_(new QVariantAnimation(this)) {
    setText(section.label());
    setFont(SemanticColors::systemFont(15));
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    animation_->setDuration(150);
    animation_->setEasingCurve(QEasingCurve::InOutQuad);
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        highlight_ = value.toReal();
        update();
    });
}

void SidebarButton::setSelected(bool selected) {
    if (selected == selected_) return;
    selected_ = selected;
    animation_->stop();
    if (!isVisible()) {
        highlight_ = selected ? 1 : 0;
        update();
        return;
    }
    animation_->setStartValue(highlight_);
    animation_->setEndValue(selected ? 1.0 : 0.0);
    animation_->start();
}

QSize SidebarButton::sizeHint() const {
    return {234, QFontMetrics(font()).height() + 2 * 8};
}

void SidebarButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor primary = SemanticColors::primary(this);
    if (highlight_ > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(SemanticColors::withOpacity(primary, 0.08 * highlight_));
        painter.drawRoundedRect(QRectF(rect()), 6, 6);
    }
    const QColor ink = selected_ ? primary : SemanticColors::secondary(this);
    const int iconSize = 16;
    const QRect iconFrame(12, 0, 22, height());
    painter.drawPixmap(iconFrame.center().x() - iconSize / 2 + 1, (height() - iconSize) / 2,
                       SymbolImage::pixmap(section_.iconName(), iconSize, ink, devicePixelRatioF()));
    painter.setPen(ink);
    painter.drawText(QRect(iconFrame.right() + 1 + 10, 0, width(), height()),
                     Qt::AlignLeft | Qt::AlignVCenter, text());
}
