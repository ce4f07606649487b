#pragma once

#include <QAbstractButton>

// A button drawn as a capsule. `main` is the onboarding's full-width call to action (window
// background text on the primary colour, faded while disabled); `outlined` a secondary action
// on the control background with a hairline outline.
class CapsuleButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Style { main, outlined };

    explicit CapsuleButton(Style style, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QMargins padding() const;

    Style style_;
};
