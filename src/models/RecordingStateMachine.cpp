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

void RecordingStateMachine::onHoldThresholdReached() { move(S::pendingIntent, S::holdRecording); }

void RecordingStateMachine::onDoublePressTimeout() { move(S::checkDoublePress, S::idle); }

void RecordingStateMachine::onProcessingComplete() { move(S::processing, S::idle); }

void RecordingStateMachine::reset() { setState(S::idle); }
