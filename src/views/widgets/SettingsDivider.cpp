#include "views/widgets/SettingsDivider.h"

#include "theme/SemanticColors.h"

#include <QPainter>

SettingsDivider::SettingsDivider(QWidget* parent) : QWidget(parent) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SettingsDivider::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), SemanticColors::separator(this));
}
