#include "dictation/DictationCoordinator.h"

#include "base/Log.h"
#include "base/QuilloError.h"
#include "base/Scheduler.h"
#include "dictation/DictationHotkey.h"
#include "dictation/FailureReporter.h"
#include "dictation/StartupChores.h"
#include "models/AppSettings.h"
#include "models/DictationEntry.h"
#include "platform/AccessibilityTrust.h"
#include "platform/CancelKeyGrab.h"
#include "platform/SoundPlayer.h"
#include "services/audio/DictationRecorder.h"
#include "services/audio/SpeechTrimmer.h"
#include "services/audio/WavEncoder.h"
#include "services/local/LiveTranscription.h"
#include "services/local/LocalTranscriber.h"
#include "services/paste/TextPaster.h"

#include <QDateTime>
#include <QPointer>

#include <utility>

using S = RecordingStateValue;

DictationCoordinator::DictationCoordinator(Dependencies dependencies, QObject* parent)
    : QObject(parent), deps_(std::move(dependencies)) {
    hotkey_ = std::make_unique<DictationHotkey>(
        DictationHotkey::Dependencies{deps_.settings, stateMachine_, deps_.hotkeyBackend,
                                      deps_.modifierEvents, deps_.accessibility, deps_.scheduler},
        DictationHotkey::Actions{[this] { startRecording(); }, [this] { stopAndProcess(); }});
    route_ = std::make_unique<TranscriptionRoute>(TranscriptionRoute::Dependencies{
        deps_.settings, deps_.deviceIdentity, deps_.remoteServices, deps_.localTranscription});
    failures_ = std::make_unique<FailureReporter>(deps_.overlayController, deps_.scheduler);
    connect(failures_.get(), &FailureReporter::errorShown, this,
            &DictationCoordinator::failureReported);
    startupChores_ = std::make_unique<StartupChores>(
        StartupChores::Dependencies{deps_.settings, deps_.accessibility, deps_.loginItems,
                                    deps_.scheduler, deps_.showOnboarding});
    connect(&stateMachine_, &RecordingStateMachine::stateChanged, this,
            &DictationCoordinator::onStateChanged);
}

DictationCoordinator::~DictationCoordinator() = default;

// The hotkey is installed whether or not the onboarding was finished: its last page has the user
// try a dictation, which lands in that window's text field like in any other application's.
void DictationCoordinator::start() {
    hotkey_->setup();
    requestMicrophonePermission();
    startupChores_->run();
}

void DictationCoordinator::updateHotkey(int keyCode, int modifiers) {
    hotkey_->update(keyCode, modifiers);
}

HotkeyManager* DictationCoordinator::hotkeyManager() const {
    return hotkey_->hotkeyManager();
}

ModifierHotkeyManager* DictationCoordinator::modifierHotkeyManager() const {
    return hotkey_->modifierHotkeyManager();
}

bool DictationCoordinator::overlayShowingError() const {
    return failures_->overlayShowingError();
}

QCoro::Task<void> DictationCoordinator::requestMicrophonePermission() {
    QPointer<DictationCoordinator> self(this);
    DictationRecorder& recorder = deps_.audioRecorder;
    const bool granted = co_await recorder.requestPermission();
    if (self && !granted) {
        Log::line(QStringLiteral("[Quillo] Microphone permission not granted"));
    }
}

// --- The microphone around a gesture, and Escape -------------------------------------------

// Every key-down that may start a recording (the first press, and the second press of a double
// press) opens the microphone at once, whichever hotkey manager drives the state machine; a
// gesture that ends as a tap closes it again once the double-press window has passed.
void DictationCoordinator::onStateChanged(RecordingStateValue state) {
    switch (state) {
        case S::pendingIntent:
        case S::handsfreeRecording:
            deps_.audioRecorder.startPreRoll();
            route_->prepare();  // the local model loads while the user speaks
            break;
        case S::idle:
        case S::processing:  // also the end of a tap made while an earlier dictation runs
            deps_.audioRecorder.discardPreRoll();
            break;
        default:
            break;
    }
    updateCancelKey();
}

// Escape is taken from the applications only while a recording or its processing runs (the
// processing state comes a moment before its run begins).
void DictationCoordinator::updateCancelKey() {
    const S state = stateMachine_.state();
    const bool wanted = isRecording(state) || state == S::processing || hasRunAwaitingResult();
    if (wanted && !cancelKeyGrab_.isSet()) {
        QPointer<DictationCoordinator> self(this);
        cancelKeyGrab_ = deps_.cancelKey.grab([self] {
            if (self) {
                self->cancel();
            }
        });
    } else if (!wanted) {
        cancelKeyGrab_.reset();
    }
}

void DictationCoordinator::cancel() {
    if (isRecording(stateMachine_.state())) {
        cancelRecording();
    } else if (hasRunAwaitingResult()) {
        cancelProcessingRuns();
    }
}

void DictationCoordinator::cancelRecording() {
    recordingLimit_.cancel();
    deps_.audioRecorder.stopRecording();  // the audio is dropped
    if (live_) {
        // The engine is stopped only when no earlier dictation's text is still on it.
        live_->cancel(!deliveryOrder_.hasOpenRuns());
        live_.reset();
    }
    keepLocalModelLoaded(false);
    deps_.overlayController.dismissIfShowing(
        std::exchange(recordingOverlay_, DictationOverlay::noContent));
    Log::line(QStringLiteral("[Quillo] Recording cancelled"));
    stateMachine_.reset();
}

// The runs waiting for a service end now for the user; their results are dropped on arrival.
void DictationCoordinator::cancelProcessingRuns() {
    cancelledThrough_ = lastRunId_;
    deliveryOrder_.endThrough(lastRunId_);  // their late results are dropped
    stateMachine_.setEarlierDictationsPending(false);
    route_->abortLocal();  // frees the engine for the next dictation at once
    deps_.overlayController.dismissIfShowing(processingOverlay_);
    Log::line(QStringLiteral("[Quillo] Recording cancelled"));
    stateMachine_.onProcessingComplete();
    updateCancelKey();
}

// --- The pipeline --------------------------------------------------------------------------

void DictationCoordinator::startRecording() {
    try {
        deps_.audioRecorder.startRecording();
    } catch (const QuilloError& error) {
        Log::line(QStringLiteral("Failed to start recording: ") + error.description());
        stateMachine_.reset();
        return;
    } catch (const std::exception& error) {
        Log::line(QStringLiteral("Failed to start recording: ") + QString::fromUtf8(error.what()));
        stateMachine_.reset();
        return;
    }
    keepLocalModelLoaded(true);
    startLiveTranscription();
    recordingLimit_ =
        deps_.scheduler.scheduleOnce(longestRecording, [this] { stopAtLongestRecording(); });
    if (deps_.settings.playSoundOnComplete()) {
        deps_.sounds.play(QLatin1String(popSound));
    }
    if (deps_.settings.showOverlay()) {
        recordingOverlay_ =
            deps_.overlayController.show(stateMachine_.state(), &deps_.audioRecorder);
    }
}

// A release that never came (a lost event, a stuck key) must not record for ever: the
// recording ends as if released, its text is delivered, and the overlay says why it stopped.
void DictationCoordinator::stopAtLongestRecording() {
    if (!isRecording(stateMachine_.state())) {
        return;
    }
    Log::line(QStringLiteral("[Quillo] Recording reached %1 minutes, stopping")
                  .arg(longestRecording.count()));
    stateMachine_.onRecordingLimitReached();
    stopAndProcess();
    //: Shown on the overlay when a recording was stopped at its longest allowed length.
    deps_.overlayController.showError(qtTrId("overlay.recording_limit"));
}

QCoro::Task<void> DictationCoordinator::stopAndProcess() {
    QPointer<DictationCoordinator> self(this);
    recordingLimit_.cancel();
    if (deps_.settings.playSoundOnComplete()) {
        deps_.sounds.play(QLatin1String(purrSound));
    }
    Run run = beginRun();
    const QByteArray audio = deps_.audioRecorder.stopRecording();
    keepLocalModelLoaded(false);
    const std::unique_ptr<LiveTranscription> live = std::move(live_);
    if (live) {
        live->disconnect(this);  // its later stretches finish under the spinner, unseen
    }
    Log::line(QStringLiteral("[Quillo] Audio data size: %1 bytes").arg(audio.size()));
    if (audio.isEmpty()) {
        Log::line(QStringLiteral("[Quillo] No audio data captured"));
        resultArrived(run);
        finishRun(run);
        co_return;
    }
    const std::optional<QByteArray> speech = keepSpeech(audio);
    if (!speech) {
        Log::line(QStringLiteral("[Quillo] No speech detected"));
        resultArrived(run);
        finishRun(run);
        co_return;
    }
    showProcessing(run);

    std::exception_ptr failure;
    std::optional<QString> result;
    TranscriptionRoute::Request request = routeRequest(run);
    if (live) {
        request.live = live.get();
        request.liveRecording = audio.mid(WavEncoder::headerSize);
    }
    try {
        result = co_await route_->transcribeAndFormat(*speech, std::move(request));
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self) {
        co_return;
    }
    resultArrived(run);
    if (isCancelled(run)) {  // the user has moved on: nothing is shown, pasted or stored
        endRun(run);
        co_return;
    }
    if (failure) {
        failures_->report(failure);
        finishRun(run);
    } else if (!result) {  // an empty transcript
        finishRun(run);
    } else {
        co_await deliver(*result, run);
    }
}

void DictationCoordinator::keepLocalModelLoaded(bool recording) {
    if (deps_.localTranscription) {
        deps_.localTranscription->setRecording(recording);
    }
}

std::optional<QByteArray> DictationCoordinator::keepSpeech(const QByteArray& audio) const {
    return SpeechTrimmer::keepSpeech(audio, deps_.speechDetector);
}

// Settings are read once: a mode chosen in the menu during the run applies from the next one.
DictationCoordinator::Run DictationCoordinator::beginRun() {
    Run run;
    run.id = ++lastRunId_;
    ++runsInFlight_;
    deliveryOrder_.begin(run.id);
    stateMachine_.setEarlierDictationsPending(true);
    run.overlay = std::exchange(recordingOverlay_, DictationOverlay::noContent);
    run.mode = deps_.settings.selectedMode();
    run.language = languageSetting();
    if (deps_.windowFocus) {
        run.window = deps_.windowFocus->focusedWindow();
    }
    return run;
}

std::optional<QString> DictationCoordinator::languageSetting() const {
    const QString language = deps_.settings.whisperLanguage();
    if (language == QLatin1String("auto")) {
        return std::nullopt;
    }
    return language;
}

// On this computer's engine, the recording is transcribed in stretches while the user speaks.
void DictationCoordinator::startLiveTranscription() {
    live_.reset();
    if (!route_->usesLocalEngine()) {
        return;
    }
    live_ = std::make_unique<LiveTranscription>(
        LiveTranscription::Dependencies{deps_.audioRecorder, deps_.speechDetector,
                                        *deps_.localTranscription, deps_.scheduler},
        languageSetting());
    if (deps_.settings.livePreview()) {
        // Only onto this recording's waveform: the overlay ignores a content it no longer shows.
        connect(live_.get(), &LiveTranscription::textChanged, this, [this](const QString& text) {
            deps_.overlayController.showLiveText(recordingOverlay_, text);
        });
    }
    live_->start();
}

void DictationCoordinator::showProcessing(Run& run) {
    if (deps_.settings.showOverlay()) {
        run.overlay = deps_.overlayController.show(S::processing, nullptr);
        processingOverlay_ = run.overlay;
    }
}

// The run's result has arrived: from here on Escape can no longer hold it back.
void DictationCoordinator::resultArrived(const Run&) {
    --runsInFlight_;
    updateCancelKey();
}

TranscriptionRoute::Request DictationCoordinator::routeRequest(const Run& run) {
    QPointer<DictationCoordinator> self(this);
    const quint64 id = run.id;
    TranscriptionRoute::Request request;
    request.mode = run.mode;
    request.language = run.language;
    request.isCancelled = [self, id] { return !self || id <= self->cancelledThrough_; };
    return request;
}

// Pastes the final text, records it in the history and ends the run.
QCoro::Task<void> DictationCoordinator::deliver(QString text, Run run) {
    QPointer<DictationCoordinator> self(this);
    DeliveryOrder& order = deliveryOrder_;
    co_await order.waitForTurn(run.id);
    if (!self) {
        co_return;
    }
    if (isCancelled(run)) {  // Escape came while an earlier dictation was still on its way
        endRun(run);
        co_return;
    }
    if (!text.endsWith(QLatin1Char(' ')) && !text.endsWith(QLatin1Char('\n'))) {
        text += QLatin1Char(' ');
    }
    Log::line(QStringLiteral("[Quillo] Pasting text (Accessibility: %1)...")
                  .arg(deps_.accessibility.isTrusted() ? QStringLiteral("true")
                                                       : QStringLiteral("false")));
    const std::optional<WindowFocus::WindowId> returnTo = co_await focusRunWindow(run);
    if (!self) {
        co_return;
    }
    TextPaster& paster = deps_.clipboardManager;
    co_await paster.pasteText(text);
    if (!self) {
        co_return;
    }
    if (returnTo) {
        co_await deps_.windowFocus->focus(*returnTo);
        if (!self) {
            co_return;
        }
    }
    deps_.settings.addDictation(DictationEntry{
        text.trimmed(), DictationEntry::timestampFrom(QDateTime::currentDateTimeUtc()),
        DictationEntry::countWords(text), run.mode.rawValue()});
    finishRun(run);
}

// A dictation that waited for an earlier one may find the user in another window by now.
QCoro::Task<std::optional<WindowFocus::WindowId>> DictationCoordinator::focusRunWindow(
    const Run& run) {
    WindowFocus* windows = deps_.windowFocus;
    if (!windows || !run.window) {
        co_return std::nullopt;
    }
    const std::optional<WindowFocus::WindowId> now = windows->focusedWindow();
    if (now == run.window) {
        co_return std::nullopt;
    }
    if (!co_await windows->focus(*run.window)) {
        Log::line(QStringLiteral(
            "[Quillo] The window this dictation was spoken into is gone; pasting into the "
            "focused window"));
        co_return std::nullopt;
    }
    Log::line(QStringLiteral("[Quillo] Pasting into the window this dictation was spoken into"));
    co_return now;
}

// Takes down only what this run showed: an error, or a newer recording's waveform, stays.
void DictationCoordinator::finishRun(const Run& run) {
    deps_.overlayController.dismissIfShowing(run.overlay);
    endRun(run);
}

// The machine stays in processing while any dictation is still on its way.
void DictationCoordinator::endRun(const Run& run) {
    deliveryOrder_.end(run.id);
    stateMachine_.setEarlierDictationsPending(deliveryOrder_.hasOpenRuns());
    stateMachine_.onProcessingComplete();
}
