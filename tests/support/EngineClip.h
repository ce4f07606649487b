#pragma once

#include "platform/SpeechEngine.h"

#include <cmath>
#include <cstddef>

// A tone with a little noise, the same on every run: the engine has to run its whole encoder on
// it. Header-only, for the helper programs beside the tests too.
inline SpeechEngine::Request engineClip(double seconds) {
    SpeechEngine::Request request;
    const auto count = static_cast<std::size_t>(seconds * 16000);
    request.samples.resize(count);
    unsigned seed = 7;
    for (std::size_t i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        request.samples[i] = 0.3f * static_cast<float>(std::sin(i * 0.05)) +
                             0.05f * (static_cast<float>(seed >> 16 & 0x7fff) / 32768.0f - 0.5f);
    }
    return request;
}
