#include "services/audio/StretchCutter.h"

#include <algorithm>
#include <limits>
#include <utility>

std::optional<qsizetype> StretchCutter::nextCut(std::span<const SpeechDetector::Frame> frames,
                                                double speechThresholdDb, qsizetype shortest) {
    std::vector<bool> speech(frames.size());
    for (std::size_t k = 0; k < frames.size(); ++k) {
        speech[k] = frames[k].voiced && frames[k].levelDb > speechThresholdDb;
    }
    if (const std::optional<qsizetype> pause = pauseAfterSpeech(speech, shortest)) {
        return pause;
    }
    if (static_cast<qsizetype>(frames.size()) >= longestStretchFrames) {
        return quietestPoint(frames, speech);
    }
    return std::nullopt;
}

// The middle of the first long enough pause that follows a run of speech, or the shortest
// stretch's end when that falls inside such a pause.
std::optional<qsizetype> StretchCutter::pauseAfterSpeech(const std::vector<bool>& speech,
                                                         qsizetype shortest) {
    const auto count = static_cast<qsizetype>(speech.size());
    qsizetype runStart = -1;
    qsizetype lastSpeech = -1;
    bool heardSpeech = false;
    for (qsizetype k = 0; k < count; ++k) {
        if (speech[static_cast<std::size_t>(k)]) {
            if (runStart < 0 || k - lastSpeech > bridgedGapFrames + 1) {
                runStart = k;
            }
            lastSpeech = k;
            heardSpeech = heardSpeech || k - runStart + 1 >= minimumSpeechFrames;
        } else if (heardSpeech && k - lastSpeech >= pauseFrames) {
            const qsizetype cut = std::max(lastSpeech + 1 + pauseFrames / 2, shortest);
            if (k + 1 - cut >= pauseFrames / 2) {
                return cut;
            }
        }
    }
    return std::nullopt;
}

// In the stretch's second half: the quietest frame without speech, or the quietest of all
// when every frame there is speech.
qsizetype StretchCutter::quietestPoint(std::span<const SpeechDetector::Frame> frames,
                                       const std::vector<bool>& speech) {
    const auto count = static_cast<qsizetype>(frames.size());
    std::pair<bool, double> best{true, std::numeric_limits<double>::max()};
    qsizetype cut = count;
    for (qsizetype k = count / 2; k + smoothingFrames <= count; ++k) {
        double sum = 0;
        bool anySpeech = false;
        for (qsizetype j = k; j < k + smoothingFrames; ++j) {
            sum += frames[static_cast<std::size_t>(j)].levelDb;
            anySpeech = anySpeech || speech[static_cast<std::size_t>(j)];
        }
        const std::pair<bool, double> candidate{anySpeech, sum / smoothingFrames};
        if (candidate < best) {
            best = candidate;
            cut = k + smoothingFrames / 2;
        }
    }
    return cut;
}
