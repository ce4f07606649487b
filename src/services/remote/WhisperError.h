#pragma once

#include "base/QuilloError.h"

#include <QString>

// What the speech-to-text service answered when it did not answer with a transcript.
class WhisperError : public QuilloError {
public:
    enum class Kind { apiError, invalidResponse };

    static WhisperError apiError(int statusCode, QString body);
    static WhisperError invalidResponse();

    Kind kind() const { return kind_; }
    // Only for apiError.
    int statusCode() const { return statusCode_; }
    QString body() const { return body_; }
    QString description() const override;

private:
    WhisperError(Kind kind, int statusCode, QString body);

    Kind kind_;
    int statusCode_;
    QString body_;
};
