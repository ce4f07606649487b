#include "dictation/DeliveryOrder.h"

#include <QPointer>

#include <qcoro/qcorosignal.h>

void DeliveryOrder::begin(quint64 run) {
    open_.insert(run);
}

void DeliveryOrder::end(quint64 run) {
    if (open_.erase(run) > 0) {
        emit runEnded();
    }
}

void DeliveryOrder::endThrough(quint64 run) {
    const auto end = open_.upper_bound(run);
    if (end != open_.begin()) {
        open_.erase(open_.begin(), end);
        emit runEnded();
    }
}

QCoro::Task<void> DeliveryOrder::waitForTurn(quint64 run) {
    QPointer<DeliveryOrder> self(this);
    while (self && !self->isFirst(run)) {
        co_await qCoro(self.data(), &DeliveryOrder::runEnded);
    }
}
