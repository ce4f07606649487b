#pragma once

#include "base/QtScheduler.h"
#include "services/audio/AudioRecorder.h"
#include "support/DictationFigures.h"
#include "support/DictationRig.h"

#include <functional>
#include <memory>

class AudioInput;
class MicPipeLock;

// The rig of the end-to-end tests: the real clock and a real recorder on the sound server's
// virtual microphone. Each desktop's test puts in its own hotkey, paste and the like.
class EndToEndRig : public DictationRig {
public:
    // `input`: the sound server's default source unless a test wraps it.
    explicit EndToEndRig(std::shared_ptr<AudioInput> input = {});
    ~EndToEndRig();

    // Takes the virtual microphone for this test (waiting while another test has it) and reads
    // away what an earlier one left in it.
    void takeMicrophone();
    // Holds the hotkey for about a second while the microphone plays a tone: `press` and
    // `release` work the desktop's keys. True when a recording started and then stopped.
    bool holdWithTone(const std::function<bool()>& press, const std::function<bool()>& release);

    QtScheduler qtScheduler;
    AudioRecorder audioRecorder;
    DictationFigures figures;

private:
    std::unique_ptr<MicPipeLock> microphone_;
};
