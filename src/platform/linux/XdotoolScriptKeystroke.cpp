#include "platform/linux/XdotoolScriptKeystroke.h"

#include <QProcess>

#include <qcoro/qcoroprocess.h>

#include <memory>

namespace {

// xdotool ends within milliseconds; a hung one must not hold the dictation forever.
constexpr std::chrono::milliseconds kMaxRunTime{10'000};

}  // namespace

XdotoolScriptKeystroke::XdotoolScriptKeystroke(QString program, QStringList arguments)
    : program_(std::move(program)), arguments_(std::move(arguments)) {}

QStringList XdotoolScriptKeystroke::defaultArguments() {
    return {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+v")};
}

QCoro::Task<ScriptKeystroke::Outcome> XdotoolScriptKeystroke::pressPasteChord() {
    return run(program_, arguments_);
}

QCoro::Task<ScriptKeystroke::Outcome> XdotoolScriptKeystroke::run(QString program,
                                                                  QStringList arguments) {
    auto process = std::make_unique<QProcess>();
    process->setProgram(program);
    process->setArguments(arguments);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());

    const bool started = co_await qCoro(*process).start();
    if (!started) {
        co_return Outcome{false, process->errorString(), -1};
    }
    const bool finished = co_await qCoro(*process).waitForFinished(kMaxRunTime);
    if (!finished) {
        process->kill();
        process->waitForFinished(1000);
        co_return Outcome{true, {}, -1};
    }
    const int status = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
    co_return Outcome{true, {}, status};
}
