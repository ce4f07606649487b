#include "services/audio/AudioRecorderError.h"

AudioRecorderError::AudioRecorderError(QString description)
    : description_(std::move(description)) {}
