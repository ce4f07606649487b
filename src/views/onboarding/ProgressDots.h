#pragma once

#include <QVariantAnimation>
#include <QWidget>

// A row of dots, one per step, the current one in full colour. Moving to another step
// slides the highlight over in the same time as the step's own transition.
class ProgressDots : public QWidget {
    Q_OBJECT
public:
    explicit ProgressDots(int count, QWidget* parent = nullptr);

    int current() const { return current_; }
    void setCurrent(int index);
    bool isAnimating() const { return animation_.state() == QAbstractAnimation::Running; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int count_;
    int current_ = 0;
    qreal highlight_ = 0;  // the animated position of the highlight, in dots
    QVariantAnimation animation_;
};
