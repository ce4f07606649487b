#include "platform/SpeechEngineError.h"

#include <utility>

SpeechEngineError::SpeechEngineError(Kind kind, QString reason)
    : kind_(kind), reason_(std::move(reason)) {}

QString SpeechEngineError::description() const {
    switch (kind_) {
        case Kind::modelMissing:
            return QStringLiteral("Speech model not found: ") + reason_;
        case Kind::modelUnreadable:
            return QStringLiteral("Speech model unreadable: ") + reason_;
        case Kind::unsupportedProcessor:
            return QStringLiteral("Speech engine unsupported on this processor: ") + reason_;
        case Kind::invalidAudio:
            return QStringLiteral("Recording not usable for the speech engine: ") + reason_;
        case Kind::aborted:
            return QStringLiteral("Transcription cancelled");
        case Kind::failed:
            return QStringLiteral("Speech engine failed: ") + reason_;
    }
    return {};
}
