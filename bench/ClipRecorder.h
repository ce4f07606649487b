#pragma once

// A recorder that plays a clip as if it were being spoken: from start() on, its PCM arrives in
// 20 ms periods at the pace of the clock, as the microphone delivers it.
#include "services/audio/DictationRecorder.h"
#include "services/audio/WavEncoder.h"

#include <QElapsedTimer>

#include <algorithm>

class ClipRecorder final : public DictationRecorder {
public:
    static constexpr qsizetype periodSamples = 320;  // 20 ms at 16 kHz

    void start(QByteArray pcm) {
        pcm_ = std::move(pcm);
        clock_.start();
    }

    float currentLevel() const override { return 0.0F; }
    void startPreRoll() override {}
    void discardPreRoll() override {}
    void startRecording() override {}
    QByteArray stopRecording() override {
        clock_.invalidate();
        return WavEncoder::createWAVData(pcm_, 16000, 1, 16);
    }
    QByteArray recordedSince(qsizetype first) const override {
        if (!clock_.isValid()) {
            return {};
        }
        const qsizetype periods = clock_.elapsed() * 16 / periodSamples;
        const qsizetype arrived = std::min(pcm_.size() / 2, periods * periodSamples);
        return first < arrived ? pcm_.mid(first * 2, (arrived - first) * 2) : QByteArray();
    }
    QCoro::Task<bool> requestPermission() override { co_return true; }

private:
    QByteArray pcm_;
    QElapsedTimer clock_;
};
