#pragma once

#include "base/QuilloError.h"

#include <QString>

// A 200 answer whose body is not the JSON the client expects (malformed, or a required member
// missing or of another type).
class DecodingError : public QuilloError {
public:
    explicit DecodingError(QString reason);

    QString reason() const { return reason_; }
    QString description() const override;

private:
    QString reason_;
};
