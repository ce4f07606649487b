#pragma once

#include "platform/AudioInput.h"
#include "services/audio/DictationRecorder.h"

#include <QByteArray>

#include <atomic>
#include <memory>

// Records the default input as 16 kHz mono 16-bit PCM and hands it over as one WAV file.
// Start, stop and the permission request belong to the main thread; captured buffers are
// converted on the capture thread as they arrive. The microphone may open at a key-down
// (the pre-roll) before the recording is confirmed; it is never open outside a gesture.
class AudioRecorder : public DictationRecorder {
public:
    static constexpr int targetSampleRate = 16000;

    explicit AudioRecorder(std::shared_ptr<AudioInput> input);
    ~AudioRecorder() override;
    AudioRecorder(const AudioRecorder&) = delete;
    AudioRecorder& operator=(const AudioRecorder&) = delete;

    // There is no microphone permission on Linux: granted whenever an input exists.
    QCoro::Task<bool> requestPermission() override;
    void startPreRoll() override;
    void discardPreRoll() override;
    // Throws AudioRecorderError when capture cannot start; the recorder then stays idle.
    void startRecording() override;
    QByteArray stopRecording() override;
    // Main thread; copies under a lock the capture thread takes only to append.
    QByteArray recordedSince(qsizetype first) const override;
    // Safe from any thread.
    float currentLevel() const override { return currentLevel_.load(std::memory_order_relaxed); }
    bool isRecording() const { return recording_ != nullptr && confirmed_; }
    // Whether the microphone is open, for a confirmed recording or a pre-roll.
    bool isCapturing() const { return recording_ != nullptr; }

private:
    class Recording;

    void open();
    std::unique_ptr<Recording> close();
    void onCapturedBuffer(Recording& recording, const float* interleaved, qsizetype frames);
    void updateLevel(const float* interleaved, qsizetype frames, int channels);

    std::shared_ptr<AudioInput> input_;
    std::unique_ptr<Recording> recording_;  // present while the microphone is open
    bool confirmed_ = false;                // the open capture is a recording, not a pre-roll
    QByteArray audioData_;                  // the last recording's PCM, kept until the next start
    std::atomic<float> currentLevel_{0.0f};
};
