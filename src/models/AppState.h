#pragma once

#include "models/RecordingStateMachine.h"
#include "models/RecordingStateValue.h"

#include <QObject>
#include <QString>

#include <optional>

class AppSettings;

// The observable application state shown by the tray icon and its menu.
class AppState : public QObject {
    Q_OBJECT
public:
    explicit AppState(AppSettings& settings, QObject* parent = nullptr);

    RecordingStateValue recordingState() const { return recordingState_; }
    void setRecordingState(RecordingStateValue state);
    QString currentTranscription() const { return currentTranscription_; }
    void setCurrentTranscription(const QString& text);
    std::optional<QString> errorMessage() const { return errorMessage_; }
    void setErrorMessage(const std::optional<QString>& message);

    // Its own machine, not the one that drives dictation.
    RecordingStateMachine& stateMachine() { return stateMachine_; }
    AppSettings& settings() const { return settings_; }

    // Publishes every state of `machine` as recordingState from now on.
    void follow(RecordingStateMachine& machine);

signals:
    void recordingStateChanged(RecordingStateValue state);
    void currentTranscriptionChanged(const QString& text);
    void errorMessageChanged();

private:
    RecordingStateValue recordingState_ = RecordingStateValue::idle;
    QString currentTranscription_;
    std::optional<QString> errorMessage_;
    RecordingStateMachine stateMachine_;
    AppSettings& settings_;
};
