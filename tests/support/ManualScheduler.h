#pragma once

#include "base/Scheduler.h"

#include <map>

// A clock that moves only when the test says so. advance() runs every timer that falls due,
// in due order (ties in the order they were scheduled), each at its own due time.
class ManualScheduler final : public Scheduler {
public:
    ~ManualScheduler() override;

    TimerHandle scheduleOnce(Duration delay, Action action) override;
    TimerHandle scheduleRepeating(Duration interval, Action action) override;
    Duration now() const override { return now_; }

    void advance(Duration by);
    // Runs what is due now without moving the clock.
    void runDue() { advance(Duration(0)); }
    std::size_t pendingCount() const { return timers_.size(); }

protected:
    void cancel(quint64 timerId) override;

private:
    struct Timer {
        Duration due;
        Duration interval;
        bool repeating;
        Action action;
    };
    TimerHandle add(Duration delay, bool repeating, Action action);
    // The id of the earliest timer due at or before `limit`, or 0.
    quint64 nextDue(Duration limit) const;

    Duration now_{0};
    quint64 nextId_ = 1;
    std::map<quint64, Timer> timers_;
};
