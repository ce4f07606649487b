#pragma once

#include "base/QuilloError.h"

#include <QString>

// The backend client's own error. serverError carries the text the pipeline shows to the user.
class APIError : public QuilloError {
public:
    enum class Kind { serverError, networkError };

    static APIError serverError(QString message);
    // underlyingDescription: the description of the error that caused it.
    static APIError networkError(QString underlyingDescription);

    Kind kind() const { return kind_; }
    // serverError: the message; networkError: the underlying error's description.
    QString message() const { return message_; }
    QString description() const override;
    // The case with its payload, e.g. serverError("Invalid response"), for the pipeline's log.
    QString textualForm() const;

private:
    APIError(Kind kind, QString message);

    Kind kind_;
    QString message_;
};
