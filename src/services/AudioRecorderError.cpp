#include "services/AudioRecorderError.h"

AudioRecorderError::AudioRecorderError(QString description)
    : description_(std::move(description)) {}
