#pragma once

#include <QObject>
#include <QtGlobal>

#include <qcoro/qcorotask.h>

#include <set>

// Keeps the dictations' texts in the order they were spoken: a run that has its text waits
// until every run begun before it has ended, so a quick second dictation never lands before a
// slow first one.
class DeliveryOrder : public QObject {
    Q_OBJECT
public:
    explicit DeliveryOrder(QObject* parent = nullptr) : QObject(parent) {}

    // Runs are numbered in the order their recordings stopped.
    void begin(quint64 run);
    void end(quint64 run);
    // Ends every run up to `run` (Escape during processing).
    void endThrough(quint64 run);
    bool hasOpenRuns() const { return !open_.empty(); }
    // Returns once no run begun before `run` is still open.
    QCoro::Task<void> waitForTurn(quint64 run);

signals:
    void runEnded();

private:
    bool isFirst(quint64 run) const { return open_.empty() || *open_.begin() >= run; }

    std::set<quint64> open_;
};
