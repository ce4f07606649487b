#include "services/audio/WebRtcSpeechDetector.h"

#include "services/audio/WebRtcFrameClassifier.h"

#include <algorithm>
#include <vector>

namespace {

// The level below which the quietest 5 % of the frames lie.
double noiseFloorDb(std::vector<double> levels) {
    const auto fifth = levels.begin() + static_cast<std::ptrdiff_t>(levels.size() / 20);
    std::nth_element(levels.begin(), fifth, levels.end());
    return *fifth;
}

}  // namespace

std::unique_ptr<SpeechDetector::FrameClassifier> WebRtcSpeechDetector::frameClassifier() const {
    return std::make_unique<WebRtcFrameClassifier>();
}

double WebRtcSpeechDetector::speechThresholdDb(std::vector<double> levels) {
    if (levels.empty()) {
        return absoluteFloorDb;
    }
    return std::max(absoluteFloorDb, noiseFloorDb(std::move(levels)) + aboveNoiseFloorDb);
}

std::optional<SpeechDetector::Span> WebRtcSpeechDetector::findSpeech(const qint16* samples,
                                                                     qsizetype count) const {
    const auto frames = static_cast<std::size_t>(count / frameSamples);
    if (frames == 0) {
        return std::nullopt;
    }
    std::vector<Frame> heard;
    heard.reserve(frames);
    WebRtcFrameClassifier().classify(samples, static_cast<qsizetype>(frames) * frameSamples, heard);
    std::vector<double> levels(frames);
    for (std::size_t k = 0; k < frames; ++k) {
        levels[k] = heard[k].levelDb;
    }
    const double threshold = speechThresholdDb(levels);
    std::vector<bool> speech(frames);
    for (std::size_t k = 0; k < frames; ++k) {
        speech[k] = heard[k].voiced && levels[k] > threshold;
    }

    // Runs of counted frames, gaps up to bridgedGapFrames bridged; the short ones are dropped.
    std::optional<Span> found;
    std::ptrdiff_t runStart = -1;
    std::ptrdiff_t runEnd = -1;
    const auto closeRun = [&] {
        if (runStart >= 0 && runEnd - runStart + 1 >= minimumRunFrames) {
            const qsizetype end = (runEnd + 1) * frameSamples;
            found = Span{found ? found->begin : runStart * frameSamples, end};
        }
    };
    for (std::size_t k = 0; k < frames; ++k) {
        if (!speech[k]) {
            continue;
        }
        const auto frame = static_cast<std::ptrdiff_t>(k);
        if (runStart < 0 || frame - runEnd > bridgedGapFrames + 1) {
            closeRun();
            runStart = frame;
        }
        runEnd = frame;
    }
    closeRun();
    return found;
}
