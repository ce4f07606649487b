#include "services/remote/WhisperError.h"

#include <utility>

WhisperError::WhisperError(Kind kind, int statusCode, QString body)
    : kind_(kind), statusCode_(statusCode), body_(std::move(body)) {}

WhisperError WhisperError::apiError(int statusCode, QString body) {
    return WhisperError(Kind::apiError, statusCode, std::move(body));
}

WhisperError WhisperError::invalidResponse() {
    return WhisperError(Kind::invalidResponse, 0, {});
}

QString WhisperError::description() const {
    switch (kind_) {
        case Kind::apiError:
            return QStringLiteral("Whisper API error (%1): ").arg(statusCode_) + body_;
        case Kind::invalidResponse:
            return QStringLiteral("Invalid response from Whisper API");
    }
    return {};
}
