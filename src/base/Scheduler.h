#pragma once

#include "base/TimerHandle.h"

#include <chrono>
#include <coroutine>
#include <functional>

// Every delay of the application comes from here, so tests can advance time by hand.
// Actions run on the thread that owns the scheduler (the main thread).
class Scheduler {
public:
    using Duration = std::chrono::milliseconds;
    using Action = std::function<void()>;

    virtual ~Scheduler() = default;

    [[nodiscard]] virtual TimerHandle scheduleOnce(Duration delay, Action action) = 0;
    [[nodiscard]] virtual TimerHandle scheduleRepeating(Duration interval, Action action) = 0;
    // Monotonic time since an arbitrary origin.
    virtual Duration now() const = 0;

    class SleepAwaiter {
    public:
        SleepAwaiter(Scheduler& scheduler, Duration delay) : scheduler_(scheduler), delay_(delay) {}
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> handle) {
            timer_ = scheduler_.scheduleOnce(delay_, [handle] { handle.resume(); });
        }
        void await_resume() noexcept { timer_.release(); }

    private:
        Scheduler& scheduler_;
        Duration delay_;
        TimerHandle timer_;
    };

    // `co_await scheduler.sleep(d)` resumes the coroutine after d.
    [[nodiscard]] SleepAwaiter sleep(Duration delay) { return SleepAwaiter(*this, delay); }

protected:
    friend class TimerHandle;
    virtual void cancel(quint64 timerId) = 0;
};
