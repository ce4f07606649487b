#pragma once

#include "models/RecordingStateValue.h"

#include <QObject>

// The one holder of the dictation phase. It holds no timers and calls nothing: it only
// moves between states (and tells observers it did).
class RecordingStateMachine : public QObject {
    Q_OBJECT
public:
    explicit RecordingStateMachine(QObject* parent = nullptr) : QObject(parent) {}

    RecordingStateValue state() const { return state_; }
    void setState(RecordingStateValue state);

    void onKeyDown();
    void onKeyUp();
    void onHoldThresholdReached();
    void onDoublePressTimeout();
    void onProcessingComplete();
    // A recording reached its longest allowed length: it stops as if the user had ended it.
    void onRecordingLimitReached();
    void reset();
    // While earlier dictations are still being processed, a gesture that ends without a
    // recording (a tap, a cancel, a failed start) returns to processing instead of idle.
    void setEarlierDictationsPending(bool pending);

signals:
    void stateChanged(RecordingStateValue state);

private:
    void move(RecordingStateValue from, RecordingStateValue to);
    RecordingStateValue restingState() const;

    RecordingStateValue state_ = RecordingStateValue::idle;
    bool earlierDictationsPending_ = false;
};
