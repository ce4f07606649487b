#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <qcoro/qcorotask.h>

#include <chrono>
#include <exception>
#include <memory>
#include <optional>

// How a task ended: its value, what it threw, or neither when the deadline passed first.
template <typename T>
struct Settled {
    bool finished = false;
    std::optional<T> value;
    std::exception_ptr error;

    // The thrown error as E, or none when it threw nothing or something else.
    template <typename E>
    std::optional<E> errorAs() const {
        if (!error) {
            return std::nullopt;
        }
        try {
            std::rethrow_exception(error);
        } catch (const E& e) {
            return e;
        } catch (...) {
            return std::nullopt;
        }
    }
};

namespace settle_detail {

// Catches inside a coroutine so that nothing throws across the event loop (QCoro 0.8's
// waitFor hangs on a task that throws after suspending).
template <typename T>
QCoro::Task<void> settleInto(QCoro::Task<T> task, std::shared_ptr<Settled<T>> outcome) {
    try {
        T value = co_await std::move(task);
        outcome->value = std::move(value);
    } catch (...) {
        outcome->error = std::current_exception();
    }
    outcome->finished = true;
}

}  // namespace settle_detail

// Runs the event loop until the task ends or the deadline passes.
template <typename T>
Settled<T> settle(QCoro::Task<T> task,
                  std::chrono::milliseconds deadline = std::chrono::milliseconds(10'000)) {
    auto outcome = std::make_shared<Settled<T>>();
    QCoro::Task<void> watcher = settle_detail::settleInto(std::move(task), outcome);
    const QDeadlineTimer timer(deadline);
    while (!outcome->finished && !timer.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return *outcome;
}
