#include "services/audio/WebRtcFrameClassifier.h"

#include <webrtc/modules/audio_processing/include/audio_processing.h>
#include <webrtc/modules/interface/module_common_types.h>

#include <cmath>
#include <cstring>

namespace {

constexpr int frameSamples = SpeechDetector::frameSamples;

double levelDb(const qint16* frame) {
    double sum = 0;
    for (int i = 0; i < frameSamples; ++i) {
        const double x = frame[i] / 32768.0;
        sum += x * x;
    }
    return 10.0 * std::log10(sum / frameSamples + 1e-12);
}

}  // namespace

WebRtcFrameClassifier::WebRtcFrameClassifier() : processing_(webrtc::AudioProcessing::Create()) {
    webrtc::VoiceDetection* vad = processing_->voice_detection();
    vad->Enable(true);
    vad->set_likelihood(webrtc::VoiceDetection::kVeryLowLikelihood);
    vad->set_frame_size_ms(10);
}

WebRtcFrameClassifier::~WebRtcFrameClassifier() = default;

void WebRtcFrameClassifier::classify(const qint16* samples, qsizetype count,
                                     std::vector<SpeechDetector::Frame>& out) {
    webrtc::AudioFrame frame;
    frame.sample_rate_hz_ = SpeechDetector::sampleRate;
    frame.num_channels_ = 1;
    frame.samples_per_channel_ = frameSamples;
    for (qsizetype start = 0; start + frameSamples <= count; start += frameSamples) {
        std::memcpy(frame.data_, samples + start, frameSamples * sizeof(qint16));
        processing_->ProcessStream(&frame);
        out.push_back(
            {levelDb(samples + start), processing_->voice_detection()->stream_has_voice()});
    }
}
