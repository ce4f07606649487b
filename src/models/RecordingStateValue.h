#pragma once

#include <QMetaType>
#include <QString>

// The phase of a dictation.
enum class RecordingStateValue {
    idle,
    pendingIntent,
    checkDoublePress,
    holdRecording,
    handsfreeRecording,
    processing,
};

// The case's name as log lines show it, e.g. "pendingIntent".
QString caseName(RecordingStateValue state);

inline bool isRecording(RecordingStateValue state) {
    return state == RecordingStateValue::holdRecording ||
           state == RecordingStateValue::handsfreeRecording;
}

Q_DECLARE_METATYPE(RecordingStateValue)
