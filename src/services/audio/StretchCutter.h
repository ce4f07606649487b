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
// - no stretch ends at a pause before it is `shortest` frames long (a pause that spans that
//   length is cut there, with half a pause of silence on either side). Each engine call costs
//   a fixed price, and a stretch sent just before the release makes the rest wait for it: a
//   dictation shorter than shortestStretchFrames goes to the engine once, at the release, as a
//   whole, and longer ones in a few stretches of at least that length;
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
    static constexpr int pauseFrames = 20;              // 200 ms
    static constexpr int shortestStretchFrames = 1000;  // 10 s
    static constexpr int minimumSpeechFrames = 15;      // 150 ms
    static constexpr int bridgedGapFrames = 3;          // 30 ms
    static constexpr int longestStretchFrames = 2000;   // 20 s
    static constexpr int smoothingFrames = 5;           // 50 ms

    StretchCutter() = delete;

    // `frames` are those since the last cut. The frame index at which the next stretch ends,
    // or none while it goes on.
    static std::optional<qsizetype> nextCut(std::span<const SpeechDetector::Frame> frames,
                                            double speechThresholdDb,
                                            qsizetype shortest = shortestStretchFrames);

private:
    static std::optional<qsizetype> pauseAfterSpeech(const std::vector<bool>& speech,
                                                     qsizetype shortest);
    static qsizetype quietestPoint(std::span<const SpeechDetector::Frame> frames,
                                   const std::vector<bool>& speech);
};
