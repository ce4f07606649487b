#pragma once

#include <QString>

#include <functional>
#include <optional>

// The default microphone. Buffers of interleaved float samples arrive on the capture thread,
// in the device's own rate and channel count.
class AudioInput {
public:
    struct Format {
        int sampleRate = 0;
        int channels = 0;
    };
    // Called on the capture thread, once per captured buffer; `frames` counts frames, not
    // samples (a stereo frame is two floats).
    using BufferHandler = std::function<void(const float* interleaved, qsizetype frames)>;

    struct StartResult {
        std::optional<Format> format;  // present when capture runs
        QString error;                 // what failed otherwise
    };

    virtual ~AudioInput() = default;

    // Whether the system has any audio input at all.
    virtual bool hasInput() const = 0;
    // Opens the default input and starts capture. Buffers are dropped until a handler is set,
    // so the caller can prepare for the format first.
    virtual StartResult start() = 0;
    virtual void setBufferHandler(BufferHandler handler) = 0;
    // After this returns the handler is never called again and no call is still running.
    virtual void removeBufferHandler() = 0;
    // Closes the device. Harmless when not capturing.
    virtual void stop() = 0;
};
