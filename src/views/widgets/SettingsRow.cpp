#include "views/widgets/SettingsRow.h"

#include "views/widgets/SettingsDivider.h"
#include "views/widgets/SettingsText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

SettingsRow::SettingsRow(const QString& title, const QString& subtitle, QWidget* trailing,
                         bool showDivider, QWidget* parent)
    : QWidget(parent),
      title_(SettingsText::label(title, 13)),
      trailing_(trailing),
      hasDivider_(showDivider) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto* line = new QHBoxLayout;
    line->setContentsMargins(0, 12, 0, 12);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    // The hint wraps, so that a long one or a longer language leaves the control its room
    // instead of pushing the row past the window's edge; it keeps the height of its lines.
    texts->addWidget(title_);
    if (!subtitle.isEmpty()) {
        subtitle_ = SettingsText::label(subtitle, 11, QFont::Normal, SettingsText::Tone::secondary);
        subtitle_->setWordWrap(true);
        subtitle_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
        texts->addWidget(subtitle_);
    }
    line->addLayout(texts);
    line->addSpacing(20);
    line->addStretch(1);
    if (trailing_) {
        // The title names the control for assistive technology (a switch has no text).
        title_->setBuddy(trailing_);
        line->addWidget(trailing_, 0, Qt::AlignVCenter);
    }
    outer->addLayout(line);
    if (showDivider) outer->addWidget(new SettingsDivider);
}
