#include "platform/x11/XdotoolScriptKeystroke.h"

#include <QProcess>
#include <QTimer>

#include <coroutine>
#include <memory>

namespace {

// xdotool ends within milliseconds; a hung one must not hold the dictation forever.
constexpr std::chrono::milliseconds kMaxRunTime{10'000};

// Resumes the awaiting coroutine once the process has ended, could not start, or ran too long.
// WORKAROUND: QCoro 0.8's waitForStarted() ignores a failed start and waits out its whole
// time-out, so the end is awaited on the process's own signals.
class ProcessEnd {
public:
    explicit ProcessEnd(QProcess& process) : state_(std::make_shared<State>(process)) {}

    bool await_ready() const noexcept { return state_->process.state() == QProcess::NotRunning; }

    void await_suspend(std::coroutine_handle<> handle) {
        State* state = state_.get();  // the awaiter may be copied; the state stays put
        state->handle = handle;
        QObject::connect(&state->process, &QProcess::finished, &state->guard,
                         [state] { state->resumeLater(); });
        QObject::connect(&state->process, &QProcess::errorOccurred, &state->guard,
                         [state](QProcess::ProcessError error) {
                             if (error == QProcess::FailedToStart) {
                                 state->resumeLater();
                             }
                         });
        QObject::connect(&state->guard, &QTimer::timeout, &state->guard,
                         [state] { state->resumeLater(); });
        state->guard.setSingleShot(true);
        state->guard.start(kMaxRunTime);
    }

    void await_resume() noexcept {}

private:
    struct State {
        explicit State(QProcess& process) : process(process) {}
        // Outside the signal's emission: the resumed coroutine deletes the process.
        void resumeLater() {
            QObject::disconnect(&process, nullptr, &guard, nullptr);
            guard.stop();
            QTimer::singleShot(0, [handle = handle] { handle.resume(); });
        }
        QProcess& process;
        QTimer guard;
        std::coroutine_handle<> handle;
    };
    std::shared_ptr<State> state_;
};

}  // namespace

XdotoolScriptKeystroke::XdotoolScriptKeystroke(QString program) : program_(std::move(program)) {}

QStringList XdotoolScriptKeystroke::arguments(PasteChord chord) {
    return {QStringLiteral("key"), QStringLiteral("--clearmodifiers"),
            chord == PasteChord::ShiftInsert ? QStringLiteral("shift+Insert")
                                             : QStringLiteral("ctrl+v")};
}

QCoro::Task<ScriptKeystroke::Outcome> XdotoolScriptKeystroke::pressPasteChord(PasteChord chord) {
    return run(program_, arguments(chord));
}

QCoro::Task<ScriptKeystroke::Outcome> XdotoolScriptKeystroke::run(QString program,
                                                                  QStringList arguments) {
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start(program, arguments);
    ProcessEnd end(*process);
    co_await end;

    if (process->error() == QProcess::FailedToStart) {
        co_return Outcome{false, process->errorString(), -1};
    }
    if (process->state() != QProcess::NotRunning) {  // ran too long
        process->kill();
        process->waitForFinished(1000);
        co_return Outcome{true, {}, -1};
    }
    const int status = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
    co_return Outcome{true, {}, status};
}
