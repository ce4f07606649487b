#pragma once

#include "base/QuilloError.h"

// Recording could not start; the description says what failed.
class AudioRecorderError : public QuilloError {
public:
    explicit AudioRecorderError(QString description);
    QString description() const override { return description_; }

private:
    QString description_;
};
