#include "models/AppState.h"

AppState::AppState(AppSettings& settings, QObject* parent) : QObject(parent), settings_(settings) {}

void AppState::setRecordingState(RecordingStateValue state) {
    if (recordingState_ == state) {
        return;
    }
    recordingState_ = state;
    emit recordingStateChanged(state);
}

void AppState::setCurrentTranscription(const QString& text) {
    if (currentTranscription_ == text) {
        return;
    }
    currentTranscription_ = text;
    emit currentTranscriptionChanged(text);
}

void AppState::setErrorMessage(const std::optional<QString>& message) {
    if (errorMessage_ == message) {
        return;
    }
    errorMessage_ = message;
    emit errorMessageChanged();
}

void AppState::follow(RecordingStateMachine& machine) {
    setRecordingState(machine.state());
    connect(&machine, &RecordingStateMachine::stateChanged, this, &AppState::setRecordingState);
}
