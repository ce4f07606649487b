// Loads a model with Quillo's engine and transcribes a generated clip, in a process of its own:
// ggml reads its Vulkan variables once per process, so each device set-up needs a new one.
// Prints the engine's log lines and then "text: <transcript>".
//   speech_device_child MODEL [--software-card] [--no-card] [--twice]
#include "base/Log.h"
#include "platform/SpeechEngineError.h"
#include "platform/whisper/WhisperCppSpeechEngine.h"
#include "support/EngineClip.h"

#include <QCoreApplication>
#include <QTimer>

#include <qcoro/qcorotask.h>


namespace {

QCoro::Task<void> run(WhisperCppSpeechEngine& engine, QString model, int loads, int& status) {
    try {
        for (int i = 0; i < loads; ++i) {
            co_await engine.load(model);
            const QString text = co_await engine.transcribe(engineClip(1.0));
            Log::line(QStringLiteral("text: ") + text);
            co_await engine.unload();
        }
        status = 0;
    } catch (const SpeechEngineError& e) {
        Log::line(QStringLiteral("error: ") + e.description());
        status = 1;
    }
    QCoreApplication::quit();
}

}  // namespace

int main(int argc, char** argv) {
    WhisperCppSpeechEngine::disableCrashDebugger();
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2) {
        return 2;
    }
    WhisperCppSpeechEngine engine(2);
    if (arguments.contains(QStringLiteral("--software-card"))) {
        engine.countSoftwareRendererAsCard();
    }
    const bool cardWanted = !arguments.contains(QStringLiteral("--no-card"));
    engine.setGraphicsCardWanted([cardWanted] { return cardWanted; });
    const int loads = arguments.contains(QStringLiteral("--twice")) ? 2 : 1;
    int status = 3;
    QTimer::singleShot(0, &app, [&] { run(engine, arguments[1], loads, status); });
    app.exec();
    return status;
}
