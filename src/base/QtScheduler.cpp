#include "base/QtScheduler.h"

#include <QTimer>

QtScheduler::QtScheduler(QObject* parent) : QObject(parent) { clock_.start(); }

QtScheduler::~QtScheduler() {
    for (auto& [id, timer] : timers_) {
        delete timer;
    }
}

QtScheduler& QtScheduler::instance() {
    static QtScheduler scheduler;
    return scheduler;
}

TimerHandle QtScheduler::scheduleOnce(Duration delay, Action action) {
    return start(delay, false, std::move(action));
}

TimerHandle QtScheduler::scheduleRepeating(Duration interval, Action action) {
    return start(interval, true, std::move(action));
}

Scheduler::Duration QtScheduler::now() const { return Duration(clock_.elapsed()); }

TimerHandle QtScheduler::start(Duration interval, bool repeating, Action action) {
    const quint64 id = nextId_++;
    auto* timer = new QTimer(this);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(!repeating);
    timer->setInterval(std::max<Duration::rep>(0, interval.count()));
    connect(timer, &QTimer::timeout, this, [this, id, repeating, action = std::move(action)] {
        if (!repeating) {
            // Forget the timer before running the action: the action may cancel or schedule.
            if (auto it = timers_.find(id); it != timers_.end()) {
                it->second->deleteLater();
                timers_.erase(it);
            }
        }
        Action copy = action;
        copy();
    });
    timers_.emplace(id, timer);
    timer->start();
    return TimerHandle(this, id);
}

void QtScheduler::cancel(quint64 timerId) {
    if (auto it = timers_.find(timerId); it != timers_.end()) {
        it->second->stop();
        it->second->deleteLater();
        timers_.erase(it);
    }
}
