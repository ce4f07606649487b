#pragma once

#include "base/TimerHandle.h"

#include <QEasingCurve>
#include <QWidget>

#include <array>

class Scheduler;

// Seven white bars whose heights follow the input level, centred in the widget. Height changes
// ease out over 0.08 s; frame ticks run only while such a change is in progress.
class WaveformView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int barCount = 7;
    static constexpr std::array<double, barCount> baseRatios{0.25, 0.45, 0.7, 1.0, 0.7, 0.45, 0.25};
    static constexpr double barWidth = 3;
    static constexpr double barSpacing = 2;
    static constexpr double rowHeight = 18;
    static constexpr double restLevel = 0.08;
    static constexpr std::chrono::milliseconds animationDuration{80};

    explicit WaveformView(Scheduler& scheduler, QWidget* parent = nullptr);

    // The height of a bar for a level, in points: levels at or below the floor count as the floor.
    static double barHeight(double level, double ratio);
    static double rowWidth() { return barCount * barWidth + (barCount - 1) * barSpacing; }

    // Animates towards the heights of `level`.
    void setLevel(float level);
    // Jumps to the resting heights and stops any animation.
    void reset();
    bool isAnimating() const { return frameTimer_.isSet(); }
    const std::array<double, barCount>& displayedHeights() const { return displayed_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    using Heights = std::array<double, barCount>;
    static Heights heightsFor(double level);
    void advanceAnimation();

    Scheduler& scheduler_;
    QEasingCurve easing_;
    Heights from_;
    Heights target_;
    Heights displayed_;
    std::chrono::milliseconds animationStart_{0};
    TimerHandle frameTimer_;
};
