#pragma once

#include "models/DictationMode.h"
#include "models/RecordingStateMachine.h"
#include "platform/ScopedRegistration.h"
#include "services/DictationOverlay.h"
#include "services/HttpTransport.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <qcoro/qcorotask.h>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

class AccessibilityTrust;
class AppSettings;
class CancelKeyGrab;
class DeviceIdentity;
class DictationRecorder;
class GlobalHotkeyBackend;
class HotkeyManager;
class LocalTranscriptionService;
class LoginItemService;
class ModifierEventSource;
class ModifierHotkeyManager;
class QuilloAPIService;
class Scheduler;
class SoundPlayer;
class SpeechDetector;
class TextPaster;

// The spine of Quillo: turns one hotkey gesture into pasted text. It owns the installed
// hotkey manager and the state machine that drives dictation, and runs every dictation on the
// main thread.
class DictationCoordinator : public QObject {
    Q_OBJECT
public:
    // Where the remote services are reached; the application leaves the hosts empty (their
    // public addresses and the built-in backend URL), tests point them at a loopback server.
    struct RemoteServices {
        HttpTransport transport;
        QString openAIHost;
        QString anthropicHost;
        QString backendURL;
    };

    struct Dependencies {
        AppSettings& settings;
        DictationRecorder& audioRecorder;
        TextPaster& clipboardManager;
        DictationOverlay& overlayController;
        SoundPlayer& sounds;
        AccessibilityTrust& accessibility;
        Scheduler& scheduler;
        GlobalHotkeyBackend& hotkeyBackend;
        ModifierEventSource& modifierEvents;
        LoginItemService& loginItems;
        const DeviceIdentity& deviceIdentity;
        RemoteServices remoteServices;
        // Shows the onboarding window (first launch).
        std::function<void()> showOnboarding;
        // Escape, taken while a dictation is under way.
        CancelKeyGrab& cancelKey;
        // Keeps recordings without speech from being sent.
        const SpeechDetector& speechDetector;
        // Speech to text on this computer, used while "local_transcription" is on.
        LocalTranscriptionService* localTranscription = nullptr;
    };

    static constexpr char popSound[] = "Pop";
    static constexpr char purrSound[] = "Purr";

    explicit DictationCoordinator(Dependencies dependencies, QObject* parent = nullptr);
    ~DictationCoordinator() override;

    // The start-up sequence: hotkey, microphone request, Accessibility log lines, onboarding
    // after 0.5 s on first launch, login item registered once.
    void start();

    void startRecording();
    QCoro::Task<void> stopAndProcess();
    void updateHotkey(int keyCode, int modifiers);

    RecordingStateMachine& stateMachine() { return stateMachine_; }
    HotkeyManager* hotkeyManager() const { return hotkeyManager_.get(); }
    ModifierHotkeyManager* modifierHotkeyManager() const { return modifierHotkeyManager_.get(); }
    bool overlayShowingError() const { return overlayShowingError_; }

    // The short message the overlay shows for a failed transcription or formatting call.
    static QString errorMessage(const std::exception_ptr& error);

private:
    // One dictation from the stop of its recording to its end.
    struct Run {
        quint64 id = 0;
        // What this run put on the overlay: its end takes down this and nothing newer.
        DictationOverlay::Content overlay = DictationOverlay::noContent;
        DictationMode mode = DictationMode::email;
        std::optional<QString> language;
    };

    void setupHotkey();
    void installHotkey(int keyCode, int modifiers);
    void setupCarbonHotkey(int keyCode, int modifiers);
    void setupModifierHotkey(int keyCode);
    void stopInstalledManagers();
    void modifierKeyDown();
    void modifierKeyUp();
    void runLater(std::function<void(DictationCoordinator&)> action);
    void startProcessingTask();
    void onStateChanged(RecordingStateValue state);
    void updateCancelKey();
    void cancel();
    void cancelRecording();
    void cancelProcessingRuns();
    bool isCancelled(const Run& run) const { return run.id <= cancelledThrough_; }
    bool hasRunAwaitingResult() const {
        return runsInFlight_ > 0 && cancelledThrough_ < lastRunId_;
    }

    QCoro::Task<void> requestMicrophonePermission();
    Run beginRun();
    void resultArrived(const Run& run);
    std::optional<QByteArray> keepSpeech(const QByteArray& audio) const;
    void showProcessing(Run& run);
    QCoro::Task<std::optional<QString>> transcribeAndFormat(QByteArray audio, Run run);
    QCoro::Task<std::optional<QString>> transcribeLocallyAndFormat(QByteArray audio, Run run);
    std::optional<QString> acceptTranscript(const QString& heard, const Run& run,
                                            QLatin1String emptyLine) const;
    static bool skipsFormatting(DictationMode mode);
    QuilloAPIService backendService() const;
    QCoro::Task<std::optional<QString>> formatWithBackend(QString transcript, DictationMode mode);
    QCoro::Task<std::optional<QString>> formatWithProvider(QString transcript, DictationMode mode);
    void prepareLocalTranscription();
    QCoro::Task<void> deliver(QString text, Run run);
    void handleFailure(const std::exception_ptr& error, const Run& run);
    void markOverlayShowingError();
    QCoro::Task<void> clearOverlayErrorLater();
    void finishRun(const Run& run);

    Dependencies deps_;
    RecordingStateMachine stateMachine_;
    std::unique_ptr<HotkeyManager> hotkeyManager_;
    std::unique_ptr<ModifierHotkeyManager> modifierHotkeyManager_;
    // Set for 4.5 s after an error was shown. The end of a run no longer consults it: the
    // overlay itself knows whether the run's own content is still up.
    bool overlayShowingError_ = false;
    // The waveform the latest recording put up; the run that stops it takes it over.
    DictationOverlay::Content recordingOverlay_ = DictationOverlay::noContent;
    // Runs are numbered from 1; Escape cancels every run up to the latest begun.
    quint64 lastRunId_ = 0;
    quint64 cancelledThrough_ = 0;
    int runsInFlight_ = 0;
    // The spinner of the latest run, taken down when Escape cancels it.
    DictationOverlay::Content processingOverlay_ = DictationOverlay::noContent;
    ScopedRegistration cancelKeyGrab_;
};
