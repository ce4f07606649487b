#include "support/ManualScheduler.h"

#include <algorithm>

ManualScheduler::~ManualScheduler() = default;

TimerHandle ManualScheduler::scheduleOnce(Duration delay, Action action) {
    return add(delay, false, std::move(action));
}

TimerHandle ManualScheduler::scheduleRepeating(Duration interval, Action action) {
    return add(interval, true, std::move(action));
}

TimerHandle ManualScheduler::add(Duration delay, bool repeating, Action action) {
    const quint64 id = nextId_++;
    delay = std::max(delay, Duration(0));
    timers_.emplace(id, Timer{now_ + delay, delay, repeating, std::move(action)});
    return TimerHandle(this, id);
}

void ManualScheduler::cancel(quint64 timerId) { timers_.erase(timerId); }

quint64 ManualScheduler::nextDue(Duration limit) const {
    quint64 best = 0;
    Duration bestDue{};
    for (const auto& [id, timer] : timers_) {  // ids ascend: the first of equal dues wins
        if (timer.due <= limit && (best == 0 || timer.due < bestDue)) {
            best = id;
            bestDue = timer.due;
        }
    }
    return best;
}

void ManualScheduler::advance(Duration by) {
    const Duration target = now_ + by;
    while (const quint64 id = nextDue(target)) {
        auto it = timers_.find(id);
        now_ = std::max(now_, it->second.due);
        Action action = it->second.action;
        if (it->second.repeating) {
            // A zero interval would never let time move on.
            it->second.due = now_ + std::max(it->second.interval, Duration(1));
        } else {
            timers_.erase(it);
        }
        action();
    }
    now_ = target;
}
