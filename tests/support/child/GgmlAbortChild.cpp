// Fails a ggml assertion, as whisper.cpp does on a model it cannot use, after the start-up call
// Quillo's main() makes.
#include "platform/whisper/WhisperCppSpeechEngine.h"

#include <ggml.h>

int main() {
    WhisperCppSpeechEngine::disableCrashDebugger();
    GGML_ABORT("a model whisper.cpp cannot use");
}
