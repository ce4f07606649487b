#pragma once

#include "services/audio/SpeechDetector.h"

// WebRTC's voice-activity detector, at its most demanding setting, with two guards of our own.
// Both were chosen on synthetic speech (espeak-ng, seven utterances in three languages, peaks
// at -6 dBFS) alone and mixed with room, office, fan and hiss noise, and on noise alone
// (white, pink and brown noise from -50 to -20 dBFS, mains hum, key bumps, digital silence);
// bench/speech-detector-clips.sh makes the clips and classifies them:
// - a voiced frame counts only when it is louder than an absolute floor and stands clear of
//   the recording's own noise floor (its 5th percentile frame level), which keeps a loud
//   steady fan from passing as speech;
// - speech is a run of counted frames (short gaps bridged) at least minimumRunFrames long,
//   which keeps key bumps, clicks and noise bursts out.
// With these values all 35 speech clips were found and none of the 11 noise clips was taken
// for speech, over repeated runs with fresh noise. 6 dB above the floor let -20 dBFS brown
// noise through, 12 dB lost speech in fan noise; runs of 12 frames let a burst of the same
// brown noise through, runs of 20 frames lost a short word in fan noise.
class WebRtcSpeechDetector final : public SpeechDetector {
public:
    static constexpr double absoluteFloorDb = -60.0;  // dBFS
    static constexpr double aboveNoiseFloorDb = 9.0;
    static constexpr int minimumRunFrames = 15;  // 150 ms
    static constexpr int bridgedGapFrames = 3;   // 30 ms

    std::optional<Span> findSpeech(const qint16* samples, qsizetype count) const override;
    std::unique_ptr<FrameClassifier> frameClassifier() const override;

    // The level a frame must pass to count as speech, from the levels of the recording's frames.
    static double speechThresholdDb(std::vector<double> levels);
};
