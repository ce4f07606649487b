#include "support/FakeSpeechEngine.h"

#include <qcoro/qcorofuture.h>

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
    const std::size_t turn = requests.size();
    requests.push_back(std::move(request));
    const QString answer = turn < static_cast<std::size_t>(transcripts.size())
                               ? transcripts[static_cast<qsizetype>(turn)]
                               : transcript;
    if (holdAnswers) {
        auto gate = std::make_shared<QPromise<void>>();
        gate->start();
        held.push_back(gate);
        co_await gate->future();
    }
    if (transcribeError) {
        std::rethrow_exception(transcribeError);
    }
    co_return answer;
}

bool FakeSpeechEngine::answerNext() {
    if (held.empty()) {
        return false;
    }
    held.front()->finish();
    held.pop_front();
    return true;
}

QCoro::Task<void> FakeSpeechEngine::unload() {
    ++unloadCount;
    loaded.clear();
    co_return;
}
