#include "models/RecordingStateValue.h"

QString caseName(RecordingStateValue state) {
    switch (state) {
        case RecordingStateValue::idle:
            return QStringLiteral("idle");
        case RecordingStateValue::pendingIntent:
            return QStringLiteral("pendingIntent");
        case RecordingStateValue::checkDoublePress:
            return QStringLiteral("checkDoublePress");
        case RecordingStateValue::holdRecording:
            return QStringLiteral("holdRecording");
        case RecordingStateValue::handsfreeRecording:
            return QStringLiteral("handsfreeRecording");
        case RecordingStateValue::processing:
            return QStringLiteral("processing");
    }
    return {};
}
