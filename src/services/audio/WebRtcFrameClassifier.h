#pragma once

#include "services/audio/SpeechDetector.h"

#include <memory>

namespace webrtc {
class AudioProcessing;
}

// WebRTC's voice-activity detector at its most demanding setting, fed frame by frame, so a
// recording can be heard while it is made without hearing its start again.
class WebRtcFrameClassifier final : public SpeechDetector::FrameClassifier {
public:
    WebRtcFrameClassifier();
    ~WebRtcFrameClassifier() override;

    void classify(const qint16* samples, qsizetype count,
                  std::vector<SpeechDetector::Frame>& out) override;

private:
    std::unique_ptr<webrtc::AudioProcessing> processing_;
};
