#include "models/RecordingStateMachine.h"

using S = RecordingStateValue;

void RecordingStateMachine::setState(RecordingStateValue state) {
    if (state_ == state) {
        return;
    }
    state_ = state;
    emit stateChanged(state_);
}

void RecordingStateMachine::move(RecordingStateValue from, RecordingStateValue to) {
    if (state_ == from) {
        setState(to);
    }
}

void RecordingStateMachine::onKeyDown() {
    switch (state_) {
        case S::idle:
        case S::processing:  // a new dictation may begin while the last one is processed
            setState(S::pendingIntent);
            break;
        case S::checkDoublePress:
            setState(S::handsfreeRecording);
            break;
        case S::handsfreeRecording:
            setState(S::processing);
            break;
        default:
            break;
    }
}

void RecordingStateMachine::onKeyUp() {
    switch (state_) {
        case S::pendingIntent:
            setState(S::checkDoublePress);
            break;
        case S::holdRecording:
            setState(S::processing);
            break;
        default:
            break;
    }
}

void RecordingStateMachine::onHoldThresholdReached() {
    move(S::pendingIntent, S::holdRecording);
}

void RecordingStateMachine::onDoublePressTimeout() {
    move(S::checkDoublePress, restingState());
}

void RecordingStateMachine::onProcessingComplete() {
    move(S::processing, restingState());
}

void RecordingStateMachine::onRecordingLimitReached() {
    if (isRecording(state_)) {
        setState(S::processing);
    }
}

void RecordingStateMachine::reset() {
    setState(restingState());
}

void RecordingStateMachine::setEarlierDictationsPending(bool pending) {
    earlierDictationsPending_ = pending;
}

RecordingStateValue RecordingStateMachine::restingState() const {
    return earlierDictationsPending_ ? S::processing : S::idle;
}
