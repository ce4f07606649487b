#pragma once

#include "base/QuilloError.h"

#include <QString>

// Why the speech engine on this computer gave no transcript.
class SpeechEngineError : public QuilloError {
public:
    enum class Kind {
        modelMissing,          // no file where the model should be
        modelUnreadable,       // a file, but not a complete whisper model
        unsupportedProcessor,  // the CPU lacks the instructions the engine was built for
        invalidAudio,          // not the recorder's 16 kHz mono 16-bit WAV
        aborted,               // cancelled by the user
        failed,                // the engine itself failed
    };

    SpeechEngineError(Kind kind, QString reason);

    Kind kind() const { return kind_; }
    QString reason() const { return reason_; }
    // True when the model cannot be used: the user has to install or choose one.
    bool isModelProblem() const {
        return kind_ == Kind::modelMissing || kind_ == Kind::modelUnreadable;
    }
    QString description() const override;

private:
    Kind kind_;
    QString reason_;
};
