#include "support/EndToEndRig.h"

#include "platform/audio/QtAudioInput.h"
#include "support/EventLoop.h"
#include "support/MicPipeFeeder.h"
#include "support/MicPipeLock.h"

using namespace std::chrono_literals;

EndToEndRig::EndToEndRig(std::shared_ptr<AudioInput> input)
    : audioRecorder(input ? std::move(input) : std::make_shared<QtAudioInput>()) {
    parts.scheduler = &qtScheduler;
    parts.recorder = &audioRecorder;
}

EndToEndRig::~EndToEndRig() = default;

void EndToEndRig::takeMicrophone() {
    microphone_ = std::make_unique<MicPipeLock>(MicPipeFeeder::pipePath());
    MicPipeFeeder::drain(MicPipeFeeder::pipePath());
}

bool EndToEndRig::holdWithTone(const std::function<bool()>& press,
                               const std::function<bool()>& release) {
    MicPipeFeeder tone(MicPipeFeeder::pipePath(), 440.0, 0.5);
    if (!tone.isOpen() || !press()) {
        return false;
    }
    const bool started = waitUntil([&] { return audioRecorder.isRecording(); }, 3s);
    runEventLoopFor(1s);
    figures.markRelease();
    return release() && started && waitUntil([&] { return !audioRecorder.isRecording(); }, 3s);
}
