#include "base/TimerHandle.h"

#include "base/Scheduler.h"

#include <utility>

TimerHandle::TimerHandle(TimerHandle&& other) noexcept
    : scheduler_(std::exchange(other.scheduler_, nullptr)), id_(std::exchange(other.id_, 0)) {}

TimerHandle& TimerHandle::operator=(TimerHandle&& other) noexcept {
    if (this != &other) {
        cancel();
        scheduler_ = std::exchange(other.scheduler_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

TimerHandle::~TimerHandle() { cancel(); }

void TimerHandle::cancel() {
    if (Scheduler* scheduler = std::exchange(scheduler_, nullptr)) {
        scheduler->cancel(id_);
    }
}

void TimerHandle::release() {
    scheduler_ = nullptr;
    id_ = 0;
}
