#include "app/DictationCoordinator.h"

#include "models/AppSettings.h"
#include "models/DictationEntry.h"
#include "platform/AccessibilityTrust.h"
#include "platform/CancelKeyGrab.h"
#include "platform/DefaultsStore.h"
#include "platform/LoginItemService.h"
#include "platform/Log.h"
#include "platform/Scheduler.h"
#include "platform/SoundPlayer.h"
#include "services/APIError.h"
#include "services/DictationOverlay.h"
#include "services/DictationRecorder.h"
#include "services/HotkeyManager.h"
#include "services/HotkeyUtils.h"
#include "services/LLMError.h"
#include "services/LLMProvider.h"
#include "services/LLMService.h"
#include "services/LocalTranscriptionService.h"
#include "services/ModifierHotkeyManager.h"
#include "services/QuilloAPIService.h"
#include "services/SpeechEngineError.h"
#include "services/SpeechTrimmer.h"
#include "services/TextPaster.h"
#include "services/TransportError.h"
#include "services/WhisperError.h"
#include "services/TranscriptReplacements.h"
#include "services/WhisperService.h"

#include <QDateTime>

#include <utility>

using namespace std::chrono_literals;
using S = RecordingStateValue;

namespace {

constexpr Scheduler::Duration holdThreshold = 300ms;
constexpr Scheduler::Duration doublePressWindow = 300ms;
constexpr Scheduler::Duration errorHoldTime = 4500ms;
constexpr Scheduler::Duration onboardingDelay = 500ms;

QString quotedLine(const char* prefix, const QString& text) {
    return QLatin1String(prefix) + text + QLatin1Char('"');
}

}  // namespace

DictationCoordinator::DictationCoordinator(Dependencies dependencies, QObject* parent)
    : QObject(parent), deps_(std::move(dependencies)) {
    connect(&stateMachine_, &RecordingStateMachine::stateChanged, this,
            &DictationCoordinator::onStateChanged);
}

DictationCoordinator::~DictationCoordinator() {
    stopInstalledManagers();
}

void DictationCoordinator::start() {
    setupHotkey();
    requestMicrophonePermission();
    if (!deps_.accessibility.isTrusted()) {
        Log::line(QStringLiteral(
            "[Quillo] Accessibility permission not granted -- auto-paste may not work"));
        Log::line(QStringLiteral(
            "[Quillo] Grant in: System Settings → Privacy & Security → Accessibility"));
    }
    DefaultsStore& store = deps_.settings.store();
    if (!store.boolean(QLatin1String(AppSettings::Keys::onboardingCompleted))) {
        QPointer<DictationCoordinator> self(this);
        deps_.scheduler
            .scheduleOnce(onboardingDelay,
                          [self] {
                              if (self && self->deps_.showOnboarding) {
                                  self->deps_.showOnboarding();
                              }
                          })
            .release();
    }
    if (!store.contains(QLatin1String(AppSettings::Keys::launchAtLoginSet))) {
        deps_.loginItems.registerItem();  // a failure is not retried: the flag is set anyway
        store.setBoolean(QLatin1String(AppSettings::Keys::launchAtLoginSet), true);
    }
}

QCoro::Task<void> DictationCoordinator::requestMicrophonePermission() {
    QPointer<DictationCoordinator> self(this);
    DictationRecorder& recorder = deps_.audioRecorder;
    const bool granted = co_await recorder.requestPermission();
    if (self && !granted) {
        Log::line(QStringLiteral("[Quillo] Microphone permission not granted"));
    }
}

// --- Hotkey wiring -------------------------------------------------------------------------

void DictationCoordinator::setupHotkey() {
    const int keyCode = static_cast<int>(deps_.settings.hotkeyKeyCode());
    const int modifiers = static_cast<int>(deps_.settings.hotkeyModifiers());
    if (ModifierHotkeyManager::isModifierOnlyKey(keyCode) && modifiers == 0 &&
        keyCode == ModifierHotkeyManager::fnKeyCode) {
        HotkeyUtils::ensureFnKeyAvailable();
    }
    installHotkey(keyCode, modifiers);
}

void DictationCoordinator::updateHotkey(int keyCode, int modifiers) {
    deps_.settings.setHotkeyKeyCode(keyCode);
    deps_.settings.setHotkeyModifiers(modifiers);
    installHotkey(keyCode, modifiers);
}

void DictationCoordinator::installHotkey(int keyCode, int modifiers) {
    if (ModifierHotkeyManager::isModifierOnlyKey(keyCode) && modifiers == 0) {
        setupModifierHotkey(keyCode);
    } else {
        setupCarbonHotkey(keyCode, modifiers);
    }
}

void DictationCoordinator::stopInstalledManagers() {
    if (hotkeyManager_) {
        hotkeyManager_->stop();
        hotkeyManager_.reset();
    }
    if (modifierHotkeyManager_) {
        modifierHotkeyManager_->stop();
        modifierHotkeyManager_.reset();
    }
}

void DictationCoordinator::runLater(std::function<void(DictationCoordinator&)> action) {
    QPointer<DictationCoordinator> self(this);
    deps_.scheduler
        .scheduleOnce(0ms,
                      [self, action = std::move(action)] {
                          if (self) {
                              action(*self);
                          }
                      })
        .release();
}

void DictationCoordinator::startProcessingTask() {
    runLater([](DictationCoordinator& coordinator) { coordinator.stopAndProcess(); });
}

void DictationCoordinator::setupCarbonHotkey(int keyCode, int modifiers) {
    stopInstalledManagers();
    auto manager =
        std::make_unique<HotkeyManager>(stateMachine_, deps_.hotkeyBackend, deps_.scheduler);
    manager->onStartRecording = [this] {
        runLater([](DictationCoordinator& coordinator) { coordinator.startRecording(); });
    };
    manager->onStopRecording = [this] { startProcessingTask(); };
    Q_ASSERT(keyCode >= 0 && modifiers >= 0);
    if (manager->start(static_cast<quint32>(keyCode), static_cast<quint32>(modifiers))) {
        hotkeyManager_ = std::move(manager);
    } else {
        manager->stop();
        Log::line(QStringLiteral("[Quillo] Failed to start Carbon hotkey manager"));
    }
}

void DictationCoordinator::setupModifierHotkey(int keyCode) {
    stopInstalledManagers();
    auto manager = std::make_unique<ModifierHotkeyManager>(deps_.modifierEvents,
                                                           deps_.accessibility, deps_.scheduler);
    manager->configure(keyCode);
    manager->onKeyDown = [this] { modifierKeyDown(); };
    manager->onKeyUp = [this] { modifierKeyUp(); };
    if (!manager->start()) {
        manager->stop();
        Log::line(QStringLiteral(
            "[Quillo] Failed to start modifier hotkey — Accessibility permission needed"));
        return;
    }
    modifierHotkeyManager_ = std::move(manager);
    Log::line(QStringLiteral("[Quillo] Modifier hotkey active (keyCode=%1)").arg(keyCode));
}

void DictationCoordinator::modifierKeyDown() {
    stateMachine_.onKeyDown();
    switch (stateMachine_.state()) {
        case S::processing:
            startProcessingTask();
            break;
        case S::handsfreeRecording:
            Log::line(QStringLiteral("[Quillo] Handsfree → start recording"));
            startRecording();
            break;
        case S::pendingIntent: {
            QPointer<DictationCoordinator> self(this);
            // Never cancelled: a late block finds a state in which it does nothing.
            deps_.scheduler
                .scheduleOnce(
                    holdThreshold,
                    [self] {
                        if (!self) {
                            return;
                        }
                        self->stateMachine_.onHoldThresholdReached();
                        if (self->stateMachine_.state() == S::holdRecording) {
                            Log::line(QStringLiteral("[Quillo] Hold threshold → start recording"));
                            self->startRecording();
                        }
                    })
                .release();
            break;
        }
        default:
            break;
    }
}

void DictationCoordinator::modifierKeyUp() {
    const S before = stateMachine_.state();
    stateMachine_.onKeyUp();
    const S now = stateMachine_.state();
    if (now == S::processing && before == S::holdRecording) {
        Log::line(QStringLiteral("[Quillo] Hold released → stop & process"));
        startProcessingTask();
    } else if (now == S::checkDoublePress) {
        QPointer<DictationCoordinator> self(this);
        deps_.scheduler
            .scheduleOnce(doublePressWindow,
                          [self] {
                              if (self) {
                                  self->stateMachine_.onDoublePressTimeout();
                              }
                          })
            .release();
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
            prepareLocalTranscription();
            break;
        case S::idle:
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
    deps_.audioRecorder.stopRecording();  // the audio is dropped
    deps_.overlayController.dismissIfShowing(
        std::exchange(recordingOverlay_, DictationOverlay::noContent));
    Log::line(QStringLiteral("[Quillo] Recording cancelled"));
    stateMachine_.reset();
}

// The runs waiting for a service end now for the user; their results are dropped on arrival.
void DictationCoordinator::cancelProcessingRuns() {
    cancelledThrough_ = lastRunId_;
    if (deps_.localTranscription) {
        deps_.localTranscription->abort();  // frees the engine for the next dictation at once
    }
    deps_.overlayController.dismissIfShowing(processingOverlay_);
    Log::line(QStringLiteral("[Quillo] Recording cancelled"));
    stateMachine_.onProcessingComplete();
    updateCancelKey();
}

// --- The pipeline --------------------------------------------------------------------------

// A dictation may follow: the local model loads while the user speaks.
void DictationCoordinator::prepareLocalTranscription() {
    if (deps_.localTranscription) {
        deps_.localTranscription->prepare();
    }
}

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
    if (deps_.settings.playSoundOnComplete()) {
        deps_.sounds.play(QLatin1String(popSound));
    }
    if (deps_.settings.showOverlay()) {
        recordingOverlay_ =
            deps_.overlayController.show(stateMachine_.state(), &deps_.audioRecorder);
    }
}

QCoro::Task<void> DictationCoordinator::stopAndProcess() {
    QPointer<DictationCoordinator> self(this);
    if (deps_.settings.playSoundOnComplete()) {
        deps_.sounds.play(QLatin1String(purrSound));
    }
    Run run = beginRun();
    const QByteArray audio = deps_.audioRecorder.stopRecording();
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
    try {
        result = co_await transcribeAndFormat(*speech, run);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self) {
        co_return;
    }
    resultArrived(run);
    if (isCancelled(run)) {  // the user has moved on: nothing is shown, pasted or stored
        co_return;
    }
    if (failure) {
        handleFailure(failure, run);
    } else if (!result) {  // an empty transcript
        finishRun(run);
    } else {
        co_await deliver(*result, run);
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
    run.overlay = std::exchange(recordingOverlay_, DictationOverlay::noContent);
    run.mode = deps_.settings.selectedMode();
    const QString language = deps_.settings.whisperLanguage();
    if (language != QLatin1String("auto")) {
        run.language = language;
    }
    return run;
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

// The transcript, formatted unless the mode is raw; none when the transcript was empty.
QCoro::Task<std::optional<QString>> DictationCoordinator::transcribeAndFormat(QByteArray audio,
                                                                              Run run) {
    QPointer<DictationCoordinator> self(this);
    AppSettings& settings = deps_.settings;
    const RemoteServices remote = deps_.remoteServices;
    const DictationMode mode = run.mode;

    if (settings.localTranscription() && deps_.localTranscription) {
        std::optional<QString> local = co_await transcribeLocallyAndFormat(audio, run);
        co_return local;
    }
    if (!settings.useBackend()) {
        Log::line(QStringLiteral("[Quillo] Sending to Whisper API (direct)..."));
        const WhisperService whisper(
            settings.openAIAPIKey(), remote.transport,
            {remote.openAIHost.isEmpty() ? settings.openAIBaseURL() : remote.openAIHost,
             settings.transcriptionModel(), settings.vocabulary()});
        const QString heard = co_await whisper.transcribe(audio, run.language);
        if (!self) {
            co_return std::nullopt;
        }
        Log::line(quotedLine("[Quillo] Whisper result: \"", heard));
        const std::optional<QString> transcript =
            acceptTranscript(heard, run, QLatin1String("[Quillo] Whisper returned empty text"));
        if (!transcript || skipsFormatting(mode)) {
            co_return transcript;
        }
        std::optional<QString> formatted = co_await formatWithProvider(*transcript, mode);
        co_return formatted;
    }

    const QuilloAPIService backend = backendService();
    Log::line(QStringLiteral("[Quillo] Sending to backend for transcription..."));
    const TranscribeResponse response = co_await backend.transcribe(audio, run.language);
    if (!self) {
        co_return std::nullopt;
    }
    Log::line(QStringLiteral("[Quillo] Transcription: \"%1\" (%2 words)")
                  .arg(response.text, QString::number(response.words)));
    const std::optional<QString> transcript =
        acceptTranscript(response.text, run, QLatin1String("[Quillo] Empty transcription"));
    if (!transcript || skipsFormatting(mode)) {
        co_return transcript;
    }
    std::optional<QString> formatted = co_await formatWithBackend(*transcript, mode);
    co_return formatted;
}

// The transcript from this computer's engine, then formatted by the route "use_backend" names;
// no transcription request leaves the machine.
QCoro::Task<std::optional<QString>> DictationCoordinator::transcribeLocallyAndFormat(
    QByteArray audio, Run run) {
    QPointer<DictationCoordinator> self(this);
    AppSettings& settings = deps_.settings;
    LocalTranscriptionService& local = *deps_.localTranscription;
    const DictationMode mode = run.mode;

    Log::line(
        QStringLiteral("[Quillo] Transcribing locally (model: %1)...").arg(settings.localModel()));
    const QString heard = co_await local.transcribe(audio, run.language);
    if (!self) {
        co_return std::nullopt;
    }
    Log::line(QStringLiteral("[Quillo] Transcription: \"%1\" (%2 words)")
                  .arg(heard, QString::number(DictationEntry::countWords(heard))));
    const std::optional<QString> transcript =
        acceptTranscript(heard, run, QLatin1String("[Quillo] Whisper returned empty text"));
    if (!transcript || skipsFormatting(mode)) {
        co_return transcript;
    }
    // GCC 12 miscompiles co_await inside a conditional expression: one await per statement.
    if (settings.useBackend()) {
        std::optional<QString> formatted = co_await formatWithBackend(*transcript, mode);
        co_return formatted;
    }
    std::optional<QString> formatted = co_await formatWithProvider(*transcript, mode);
    co_return formatted;
}

// The transcript after the user's replacements; none when the run was cancelled meanwhile or
// nothing was heard (then `emptyLine` is logged).
std::optional<QString> DictationCoordinator::acceptTranscript(const QString& heard, const Run& run,
                                                              QLatin1String emptyLine) const {
    if (isCancelled(run)) {
        return std::nullopt;
    }
    const QString transcript = TranscriptReplacements(deps_.settings.replacements()).apply(heard);
    if (transcript.trimmed().isEmpty()) {
        Log::line(emptyLine);
        return std::nullopt;
    }
    return transcript;
}

bool DictationCoordinator::skipsFormatting(DictationMode mode) {
    if (!mode.skipsLLM()) {
        return false;
    }
    Log::line(QStringLiteral("[Quillo] Raw mode, skipping LLM"));
    return true;
}

QuilloAPIService DictationCoordinator::backendService() const {
    const AppSettings& settings = deps_.settings;
    const RemoteServices& remote = deps_.remoteServices;
    const QString baseURL = remote.backendURL.isEmpty() ? settings.backendURL() : remote.backendURL;
    return QuilloAPIService(baseURL, settings.apiSecret(), settings.store(), deps_.deviceIdentity,
                            remote.transport);
}

QCoro::Task<std::optional<QString>> DictationCoordinator::formatWithBackend(QString transcript,
                                                                            DictationMode mode) {
    QPointer<DictationCoordinator> self(this);
    const QuilloAPIService backend = backendService();
    const QString prompt = deps_.settings.effectivePrompt(mode);
    Log::line(QStringLiteral("[Quillo] Formatting via backend (mode: %1)...").arg(mode.rawValue()));
    const QString formatted = co_await backend.format(transcript, prompt, mode.rawValue());
    if (self) {
        Log::line(quotedLine("[Quillo] Formatted: \"", formatted));
    }
    co_return formatted;
}

QCoro::Task<std::optional<QString>> DictationCoordinator::formatWithProvider(QString transcript,
                                                                             DictationMode mode) {
    QPointer<DictationCoordinator> self(this);
    const AppSettings& settings = deps_.settings;
    const RemoteServices remote = deps_.remoteServices;
    const LLMProvider provider = LLMProvider::fromSetting(settings.llmProvider());
    const QString key =
        provider == LLMProvider::anthropic ? settings.anthropicAPIKey() : settings.openAIAPIKey();
    const QString prompt = settings.effectivePrompt(mode);
    Log::line(QStringLiteral("[Quillo] Formatting with %1...").arg(provider.rawValue()));
    const LLMService llm(
        provider, key, remote.transport,
        {remote.openAIHost.isEmpty() ? settings.openAIBaseURL() : remote.openAIHost,
         settings.chatModel(), settings.anthropicModel(), remote.anthropicHost});
    const QString formatted = co_await llm.format(transcript, prompt);
    if (self) {
        Log::line(quotedLine("[Quillo] LLM result: \"", formatted));
    }
    co_return formatted;
}

// Pastes the final text, records it in the history and ends the run.
QCoro::Task<void> DictationCoordinator::deliver(QString text, Run run) {
    QPointer<DictationCoordinator> self(this);
    if (!text.endsWith(QLatin1Char(' ')) && !text.endsWith(QLatin1Char('\n'))) {
        text += QLatin1Char(' ');
    }
    Log::line(QStringLiteral("[Quillo] Pasting text (Accessibility: %1)...")
                  .arg(deps_.accessibility.isTrusted() ? QStringLiteral("true")
                                                       : QStringLiteral("false")));
    TextPaster& paster = deps_.clipboardManager;
    co_await paster.pasteText(text);
    if (!self) {
        co_return;
    }
    deps_.settings.addDictation(DictationEntry{
        text.trimmed(), DictationEntry::timestampFrom(QDateTime::currentDateTimeUtc()),
        DictationEntry::countWords(text), run.mode.rawValue()});
    finishRun(run);
}

void DictationCoordinator::handleFailure(const std::exception_ptr& error, const Run& run) {
    try {
        std::rethrow_exception(error);
    } catch (const SpeechEngineError& speechError) {
        if (speechError.kind() == SpeechEngineError::Kind::aborted) {
            Log::line(QStringLiteral("[Quillo] Transcription cancelled"));
        } else {
            Log::line(QStringLiteral("[Quillo] ERROR: ") + speechError.description());
            markOverlayShowingError();
            deps_.overlayController.showError(errorMessage(error));
        }
    } catch (const APIError& apiError) {
        Log::line(QStringLiteral("[Quillo] API ERROR: ") + apiError.textualForm());
        markOverlayShowingError();
        deps_.overlayController.showError(apiError.kind() == APIError::Kind::serverError
                                              ? apiError.message()
                                              : QStringLiteral("Keine Verbindung zum Server"));
    } catch (const QuilloError& other) {
        Log::line(QStringLiteral("[Quillo] ERROR: ") + other.description());
        markOverlayShowingError();
        deps_.overlayController.showError(errorMessage(error));
    } catch (const std::exception& other) {
        Log::line(QStringLiteral("[Quillo] ERROR: ") + QString::fromUtf8(other.what()));
        markOverlayShowingError();
        deps_.overlayController.showError(errorMessage(error));
    }
    finishRun(run);
}

// Takes down only what this run showed: an error, or a newer recording's waveform, stays.
void DictationCoordinator::finishRun(const Run& run) {
    stateMachine_.onProcessingComplete();
    deps_.overlayController.dismissIfShowing(run.overlay);
}

void DictationCoordinator::markOverlayShowingError() {
    overlayShowingError_ = true;
    clearOverlayErrorLater();
}

// Every error starts its own clearing task: an older one may clear the flag while a newer
// error is still showing.
QCoro::Task<void> DictationCoordinator::clearOverlayErrorLater() {
    QPointer<DictationCoordinator> self(this);
    Scheduler& scheduler = deps_.scheduler;
    co_await scheduler.sleep(errorHoldTime);
    if (self) {
        self->overlayShowingError_ = false;
    }
}

QString DictationCoordinator::errorMessage(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const LLMError& e) {
        if (e.kind() == LLMError::Kind::parseError) {
            return QStringLiteral("Failed to parse response");
        }
        const QString& text = e.body();
        if (text.contains(QLatin1String("401")) || text.contains(QLatin1String("Unauthorized"))) {
            return QStringLiteral("Invalid API Key");
        }
        if (text.contains(QLatin1String("429")) || text.contains(QLatin1String("rate"))) {
            return QStringLiteral("Rate limit exceeded");
        }
        if (text.contains(QLatin1String("insufficient_quota"))) {
            return QStringLiteral("API quota exceeded");
        }
        return QStringLiteral("API Error");
    } catch (const WhisperError& e) {
        if (e.kind() == WhisperError::Kind::invalidResponse) {
            return QStringLiteral("Transcription parse error");
        }
        if (e.statusCode() == 429) {
            return QStringLiteral("Rate limit exceeded");
        }
        if (e.statusCode() == 401) {
            return QStringLiteral("Invalid OpenAI Key");
        }
        return QStringLiteral("Transcription failed");
    } catch (const SpeechEngineError& e) {
        return e.isModelProblem() ? QStringLiteral("Speech model not installed")
                                  : QStringLiteral("Transcription failed");
    } catch (const TransportError& e) {
        switch (e.kind()) {
            case TransportError::Kind::notConnected:
                return QStringLiteral("No internet connection");
            case TransportError::Kind::timedOut:
                return QStringLiteral("Request timed out");
            case TransportError::Kind::other:
                break;
        }
        return QStringLiteral("Network error");
    } catch (...) {
        return QStringLiteral("An error occurred");
    }
}
