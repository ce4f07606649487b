#pragma once

#include <QAbstractButton>

// A capsule-shaped text button: primary (filled with the text colour, no outline) or
// secondary (control background with a thin outline).
class PillButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Style { primary, secondary };

    PillButton(const QString& title, Style style, QWidget* parent = nullptr);

    Style style() const { return style_; }
    // 0 for primary, 0.5 for secondary.
    qreal outlineWidth() const { return style_ == Style::secondary ? 0.5 : 0.0; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Style style_;
};
