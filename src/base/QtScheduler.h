#pragma once

#include "base/Scheduler.h"

#include <QElapsedTimer>
#include <QObject>

#include <unordered_map>

class QTimer;

// The real clock: precise QTimers on the thread that owns the scheduler.
class QtScheduler final : public QObject, public Scheduler {
    Q_OBJECT
public:
    explicit QtScheduler(QObject* parent = nullptr);
    ~QtScheduler() override;

    static QtScheduler& instance();

    TimerHandle scheduleOnce(Duration delay, Action action) override;
    TimerHandle scheduleRepeating(Duration interval, Action action) override;
    Duration now() const override;

protected:
    void cancel(quint64 timerId) override;

private:
    TimerHandle start(Duration interval, bool repeating, Action action);

    QElapsedTimer clock_;
    quint64 nextId_ = 1;
    std::unordered_map<quint64, QTimer*> timers_;
};
