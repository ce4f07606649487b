#pragma once

#include <QString>
#include <QWidget>

class QLabel;

// One setting: its title (and optional subtitle) on the left, its control on the right, and
// a divider below unless it is the last row of its card.
class SettingsRow : public QWidget {
    Q_OBJECT
public:
    SettingsRow(const QString& title, const QString& subtitle, QWidget* trailing,
                bool showDivider, QWidget* parent = nullptr);

    QLabel* titleLabel() const { return title_; }
    QLabel* subtitleLabel() const { return subtitle_; }  // null without subtitle
    bool hasDivider() const { return hasDivider_; }
    QWidget* trailing() const { return trailing_; }

private:
    QLabel* title_;
    QLabel* subtitle_ = nullptr;
    QWidget* trailing_;
    bool hasDivider_;
};
