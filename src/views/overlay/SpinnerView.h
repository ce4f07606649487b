#pragma once

#include "base/TimerHandle.h"

#include <QWidget>

#include <chrono>

class Scheduler;

// A white arc of 0.7 of a 14-point circle that turns once every 0.8 s at constant speed,
// centred in the widget. Frame ticks run only between start() and stop().
class SpinnerView final : public QWidget {
    Q_OBJECT
public:
    static constexpr double diameter = 14;
    static constexpr double lineWidth = 2;
    static constexpr double arcFraction = 0.7;
    static constexpr std::chrono::milliseconds turnDuration{800};

    explicit SpinnerView(Scheduler& scheduler, QWidget* parent = nullptr);

    void start();
    void stop();
    bool isSpinning() const { return frameTimer_.isSet(); }
    // Degrees, in [0, 360).
    double rotation() const { return rotation_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void advance();

    Scheduler& scheduler_;
    double rotation_ = 0;
    std::chrono::milliseconds started_{0};
    TimerHandle frameTimer_;
};
