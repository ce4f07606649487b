#include "services/remote/LLMError.h"

#include <utility>

LLMError::LLMError(Kind kind, QString body) : kind_(kind), body_(std::move(body)) {}

LLMError LLMError::apiError(QString body) {
    return LLMError(Kind::apiError, std::move(body));
}

LLMError LLMError::parseError() {
    return LLMError(Kind::parseError, {});
}

QString LLMError::description() const {
    switch (kind_) {
        case Kind::apiError:
            return QStringLiteral("LLM API error: ") + body_;
        case Kind::parseError:
            return QStringLiteral("Failed to parse LLM response");
    }
    return {};
}
