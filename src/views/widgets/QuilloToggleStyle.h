#pragma once

#include <QAbstractButton>

class QVariantAnimation;

// The switch used for every on/off setting: a 38 x 22 capsule track with an 18-point knob
// that slides to the trailing end (track filled with the text colour) when on.
class QuilloToggleStyle : public QAbstractButton {
    Q_OBJECT
public:
    explicit QuilloToggleStyle(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {38, 22}; }
    // 0 at the leading end, 1 at the trailing end; follows the animation.
    qreal knobPosition() const { return knobPosition_; }
    QRectF knobRect() const;
    QColor trackColour() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void animateKnob(bool on);

    qreal knobPosition_ = 0;
    QVariantAnimation* animation_;
};
