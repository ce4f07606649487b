#pragma once

#include "base/QuilloError.h"

#include <QString>

// What the language-model provider answered when it did not answer with a formatted text.
class LLMError : public QuilloError {
public:
    enum class Kind { apiError, parseError };

    // body: the provider's answer verbatim, so that the pipeline can recognise an invalid key
    // or an exhausted quota in it.
    static LLMError apiError(QString body);
    static LLMError parseError();

    Kind kind() const { return kind_; }
    QString body() const { return body_; }
    QString description() const override;

private:
    LLMError(Kind kind, QString body);

    Kind kind_;
    QString body_;
};
