#include "support/FakeSpeechEngine.h"

QCoro::Task<void> FakeSpeechEngine::load(QString modelPath) {
    loads << modelPath;
    if (loadError) {
        loaded.clear();
        std::rethrow_exception(loadError);
    }
    loaded = modelPath;
    co_return;
}

QCoro::Task<QString> FakeSpeechEngine::transcribe(Request request) {
    requests.push_back(std::move(request));
    if (transcribeError) {
        std::rethrow_exception(transcribeError);
    }
    co_return transcript;
}

QCoro::Task<void> FakeSpeechEngine::unload() {
    ++unloadCount;
    loaded.clear();
    co_return;
}
