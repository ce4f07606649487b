#pragma once

#include "base/QuilloError.h"
#include "services/audio/DictationRecorder.h"

#include <optional>

// A recorder whose audio, start failure and permission the test sets.
class FakeDictationRecorder final : public DictationRecorder {
public:
    struct StartFailure final : QuilloError {
        explicit StartFailure(QString text) : text_(std::move(text)) {}
        QString description() const override { return text_; }
        QString text_;
    };

    void startPreRoll() override {
        ++preRollCount;
        open = true;
    }
    void discardPreRoll() override {
        if (!recording) {
            open = false;
        }
    }
    void startRecording() override {
        ++startCount;
        if (startFailure) {
            open = false;
            throw StartFailure(*startFailure);
        }
        recording = true;
        open = true;
    }
    QByteArray stopRecording() override {
        ++stopCount;
        const bool was = recording;
        recording = false;
        open = open && !was;
        return was ? audio : QByteArray();
    }
    QByteArray recordedSince(qsizetype first) const override {
        return recording ? audio.mid(44 + first * 2) : QByteArray();
    }
    QCoro::Task<bool> requestPermission() override { co_return permission; }
    float currentLevel() const override { return 0.5f; }

    QByteArray audio = QByteArray(44 + 3200, '\x01');
    std::optional<QString> startFailure;
    bool permission = true;
    bool recording = false;
    bool open = false;  // the microphone, pre-roll included
    int preRollCount = 0;
    int startCount = 0;
    int stopCount = 0;
};
