#pragma once

#include <QLabel>

// The small heading above a group of cards.
class SectionSubtitle : public QLabel {
    Q_OBJECT
public:
    explicit SectionSubtitle(const QString& text, QWidget* parent = nullptr);
};
