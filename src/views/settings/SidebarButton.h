#pragma once

#include "views/settings/SettingsSection.h"

#include <QAbstractButton>

class QVariantAnimation;

// A sidebar entry: the section's symbol and name, highlighted while its section is shown.
class SidebarButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit SidebarButton(SettingsSection section, QWidget* parent = nullptr);

    SettingsSection section() const { return section_; }
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SettingsSection section_;
    bool selected_ = false;
    qreal highlight_ = 0;  // 0 clear .. 1 fully highlighted, animated
    QVariantAnimation* animation_;
};
