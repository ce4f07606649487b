#pragma once

#include <QWidget>

class QVBoxLayout;

// A rounded, lightly filled panel holding one group of settings; 20 points of padding.
class SettingsCard : public QWidget {
    Q_OBJECT
public:
    explicit SettingsCard(QWidget* parent = nullptr);

    QVBoxLayout* contentLayout() const { return layout_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* layout_;
};
