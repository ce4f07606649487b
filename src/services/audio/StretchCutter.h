#pragma once

#include "services/audio/SpeechDetector.h"

#include <QtGlobal>

#include <optional>
#include <span>
#include <vector>

// Where a recording heard while it is made may be cut into stretches that are transcribed
// on their own. The rule:
// - a frame counts as speech when the detector hears a voice in it and it is louder than the
//   recording's speech threshold;
// - once a stretch holds speech (a run of minimumSpeechFrames, as the detector requires), the
//   first pause of pauseFrames frames without speech ends it, and the cut falls in the middle
//   of that pause, so both stretches keep some silence around their words;
// - a stretch that reaches longestStretchFrames without such a pause is cut at its quietest
//   moment in its second half (the frame with the lowest level averaged over 50 ms, frames
//   without speech first): between two words, never in the middle of one, and far from
//   whisper's 30 s window.
// The pause length was chosen on espeak-ng speech (18 utterances, English and German, at 140,
// 165 and 200 words a minute, levels as the detector measures them): the silences inside a
// phrase (between words and inside them, at stop consonants) never passed 50 ms; those at
// sentence ends were 230 to 430 ms, at commas 110 to 270 ms. 200 ms is four times the longest
// silence inside a phrase, above the stop closures of natural speech, and still cuts at every
// sentence end at all three speeds.
class StretchCutter {
public:
    static constexpr int pauseFrames = 20;             // 200 ms
    static constexpr int minimumSpeechFrames = 15;     // 150 ms
    static constexpr int bridgedGapFrames = 3;         // 30 ms
    static constexpr int longestStretchFrames = 2000;  // 20 s
    static constexpr int smoothingFrames = 5;          // 50 ms

    StretchCutter() = delete;

    // `frames` are those since the last cut. The frame index at which the next stretch ends,
    // or none while it goes on.
    static std::optional<qsizetype> nextCut(std::span<const SpeechDetector::Frame> frames,
                                            double speechThresholdDb);

private:
    static std::optional<qsizetype> pauseAfterSpeech(const std::vector<bool>& speech);
    static qsizetype quietestPoint(std::span<const SpeechDetector::Frame> frames,
                                   const std::vector<bool>& speech);
};
