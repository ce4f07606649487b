#pragma once

#include <QLabel>

// The large bold heading that opens every settings section.
class SectionTitle : public QLabel {
    Q_OBJECT
public:
    explicit SectionTitle(const QString& text, QWidget* parent = nullptr);
};
