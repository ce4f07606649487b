#include "services/audio/WebRtcSpeechDetector.h"

#include <webrtc/modules/audio_processing/include/audio_processing.h>
#include <webrtc/modules/interface/module_common_types.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using Frames = std::vector<bool>;

double levelDb(const qint16* frame, int samples) {
    double sum = 0;
    for (int i = 0; i < samples; ++i) {
        const double x = frame[i] / 32768.0;
        sum += x * x;
    }
    return 10.0 * std::log10(sum / samples + 1e-12);
}

// The level below which the quietest 5 % of the frames lie.
double noiseFloorDb(std::vector<double> levels) {
    const auto fifth = levels.begin() + static_cast<std::ptrdiff_t>(levels.size() / 20);
    std::nth_element(levels.begin(), fifth, levels.end());
    return *fifth;
}

Frames voicedFrames(const qint16* samples, std::size_t frames) {
    std::unique_ptr<webrtc::AudioProcessing> apm(webrtc::AudioProcessing::Create());
    webrtc::VoiceDetection* vad = apm->voice_detection();
    vad->Enable(true);
    vad->set_likelihood(webrtc::VoiceDetection::kVeryLowLikelihood);
    vad->set_frame_size_ms(10);

    webrtc::AudioFrame frame;
    frame.sample_rate_hz_ = WebRtcSpeechDetector::sampleRate;
    frame.num_channels_ = 1;
    frame.samples_per_channel_ = WebRtcSpeechDetector::frameSamples;
    Frames voiced(frames);
    for (std::size_t k = 0; k < frames; ++k) {
        std::memcpy(frame.data_, samples + k * WebRtcSpeechDetector::frameSamples,
                    WebRtcSpeechDetector::frameSamples * sizeof(qint16));
        apm->ProcessStream(&frame);
        voiced[k] = vad->stream_has_voice();
    }
    return voiced;
}

}  // namespace

std::optional<SpeechDetector::Span> WebRtcSpeechDetector::findSpeech(const qint16* samples,
                                                                     qsizetype count) const {
    const auto frames = static_cast<std::size_t>(count / frameSamples);
    if (frames == 0) {
        return std::nullopt;
    }
    std::vector<double> levels(frames);
    for (std::size_t k = 0; k < frames; ++k) {
        levels[k] = levelDb(samples + k * frameSamples, frameSamples);
    }
    const double threshold = std::max(absoluteFloorDb, noiseFloorDb(levels) + aboveNoiseFloorDb);
    Frames speech = voicedFrames(samples, frames);
    for (std::size_t k = 0; k < frames; ++k) {
        speech[k] = speech[k] && levels[k] > threshold;
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
