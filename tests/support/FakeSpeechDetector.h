#pragma once

#include "services/audio/SpeechDetector.h"

#include <cmath>
#include <memory>
#include <vector>

// Finds speech where the test says (all of the recording unless told otherwise) and keeps
// the samples it was shown, which are the audio the recording kept.
class FakeSpeechDetector final : public SpeechDetector {
public:
    static constexpr double voiceFloorDb = -50.0;

    class LevelClassifier final : public FrameClassifier {
    public:
        void classify(const qint16* samples, qsizetype count, std::vector<Frame>& out) override {
            for (qsizetype start = 0; start + frameSamples <= count; start += frameSamples) {
                double sum = 0;
                for (qsizetype i = start; i < start + frameSamples; ++i) {
                    sum += (samples[i] / 32768.0) * (samples[i] / 32768.0);
                }
                const double level = 10.0 * std::log10(sum / frameSamples + 1e-12);
                out.push_back({level, level > voiceFloorDb});
            }
        }
    };

    std::optional<Span> findSpeech(const qint16* samples, qsizetype count) const override {
        shown.assign(samples, samples + count);
        if (speechFromLevels) {
            return loudFrames(samples, count);
        }
        if (!speech) {
            return std::nullopt;
        }
        return speech->end < 0 ? Span{0, count} : *speech;
    }

    // Hears a voice in every frame louder than voiceFloorDb: tests write silence as zeros.
    std::unique_ptr<FrameClassifier> frameClassifier() const override {
        return std::make_unique<LevelClassifier>();
    }

    // From the first to the last frame louder than voiceFloorDb; none when there is none.
    static std::optional<Span> loudFrames(const qint16* samples, qsizetype count) {
        std::vector<Frame> frames;
        LevelClassifier().classify(samples, count, frames);
        std::optional<Span> found;
        for (qsizetype k = 0; k < static_cast<qsizetype>(frames.size()); ++k) {
            if (frames[static_cast<std::size_t>(k)].voiced) {
                found = Span{found ? found->begin : k * frameSamples, (k + 1) * frameSamples};
            }
        }
        return found;
    }

    // None: no speech. An end below 0 stands for "to the end".
    std::optional<Span> speech = Span{0, -1};
    // Speech where the samples are loud (see loudFrames), instead of `speech`.
    bool speechFromLevels = false;
    mutable std::vector<qint16> shown;
};
