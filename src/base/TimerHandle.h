#pragma once

#include <QtGlobal>

class Scheduler;

// Owns one scheduled timer: destroying or cancelling the handle stops the timer.
// release() lets a fire-and-forget timer run on without its handle.
class TimerHandle {
public:
    TimerHandle() = default;
    TimerHandle(Scheduler* scheduler, quint64 id) : scheduler_(scheduler), id_(id) {}
    TimerHandle(TimerHandle&& other) noexcept;
    TimerHandle& operator=(TimerHandle&& other) noexcept;
    TimerHandle(const TimerHandle&) = delete;
    TimerHandle& operator=(const TimerHandle&) = delete;
    ~TimerHandle();

    void cancel();
    void release();
    bool isSet() const { return scheduler_ != nullptr; }

private:
    Scheduler* scheduler_ = nullptr;
    quint64 id_ = 0;
};
