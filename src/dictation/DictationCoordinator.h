#pragma once

#include "base/ScopedRegistration.h"
#include "base/TimerHandle.h"
#include "dictation/DeliveryOrder.h"
#include "dictation/DictationOverlay.h"
#include "dictation/TranscriptionRoute.h"
#include "models/DictationMode.h"
#include "models/RecordingStateMachine.h"
#include "platform/WindowFocus.h"

#include <QObject>
#include <QString>

#include <qcoro/qcorotask.h>

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

class AccessibilityTrust;
class AppSettings;
class CancelKeyGrab;
class DeviceIdentity;
class DictationHotkey;
class DictationRecorder;
class FailureReporter;
class GlobalHotkeyBackend;
class HotkeyManager;
class LiveTranscription;
class LocalTranscriber;
class LoginItemService;
class ModifierEventSource;
class ModifierHotkeyManager;
class Scheduler;
class SoundPlayer;
class SpeechDetector;
class StartupChores;
class TextPaster;

// The spine of Quillo: turns one hotkey gesture into pasted text. It owns the state machine
// that drives dictation and runs every dictation on the main thread: the recording, its route
// to text, the paste, the history entry, and Escape.
class DictationCoordinator : public QObject {
    Q_OBJECT
public:
    using RemoteServices = TranscriptionRoute::RemoteServices;

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
        LocalTranscriber* localTranscription = nullptr;
        // Where the desktop tells which window has the focus, each text goes to the window
        // that had it when its recording ended.
        WindowFocus* windowFocus = nullptr;
    };

    static constexpr char popSound[] = "Pop";
    static constexpr char purrSound[] = "Purr";
    // Longer than any real dictation, so only a lost release reaches it. Ten minutes of 16 kHz
    // 16-bit mono WAV is 19.2 MB: it stays below OpenAI's 25 MB upload limit (about 13.6
    // minutes) with room for the multipart envelope, and is a sensible size for our backend.
    static constexpr std::chrono::minutes longestRecording{10};

    explicit DictationCoordinator(Dependencies dependencies, QObject* parent = nullptr);
    ~DictationCoordinator() override;

    // The start-up sequence: hotkey, microphone request, Accessibility log lines, onboarding
    // after 0.5 s on first launch, login item registered once.
    void start();

    void startRecording();
    QCoro::Task<void> stopAndProcess();
    void updateHotkey(int keyCode, int modifiers);

    RecordingStateMachine& stateMachine() { return stateMachine_; }
    HotkeyManager* hotkeyManager() const;
    ModifierHotkeyManager* modifierHotkeyManager() const;
    bool overlayShowingError() const;

signals:
    // A dictation failed: the short message the overlay shows (FailureReporter's own).
    void failureReported(const QString& message);

private:
    // One dictation from the stop of its recording to its end.
    struct Run {
        quint64 id = 0;
        // What this run put on the overlay: its end takes down this and nothing newer.
        DictationOverlay::Content overlay = DictationOverlay::noContent;
        DictationMode mode = DictationMode::email;
        std::optional<QString> language;
        // The window that had the focus when the recording ended.
        std::optional<WindowFocus::WindowId> window;
    };

    void onStateChanged(RecordingStateValue state);
    void updateCancelKey();
    void cancel();
    void cancelRecording();
    void stopAtLongestRecording();
    void cancelProcessingRuns();
    bool isCancelled(const Run& run) const { return run.id <= cancelledThrough_; }
    bool hasRunAwaitingResult() const {
        return runsInFlight_ > 0 && cancelledThrough_ < lastRunId_;
    }

    QCoro::Task<void> requestMicrophonePermission();
    Run beginRun();
    TranscriptionRoute::Request routeRequest(const Run& run);
    void resultArrived(const Run& run);
    std::optional<QByteArray> keepSpeech(const QByteArray& audio) const;
    // The local model is never freed while a recording is under way.
    void keepLocalModelLoaded(bool recording);
    void startLiveTranscription();
    std::optional<QString> languageSetting() const;
    void showProcessing(Run& run);
    QCoro::Task<void> deliver(QString text, Run run);
    // Gives the focus back to the run's window when another has it since; returns the window
    // to give it back to after the paste.
    QCoro::Task<std::optional<WindowFocus::WindowId>> focusRunWindow(const Run& run);
    void finishRun(const Run& run);
    void endRun(const Run& run);

    Dependencies deps_;
    RecordingStateMachine stateMachine_;
    std::unique_ptr<DictationHotkey> hotkey_;
    std::unique_ptr<TranscriptionRoute> route_;
    std::unique_ptr<FailureReporter> failures_;
    std::unique_ptr<StartupChores> startupChores_;
    // The waveform the latest recording put up; the run that stops it takes it over.
    DictationOverlay::Content recordingOverlay_ = DictationOverlay::noContent;
    // Runs are numbered from 1; Escape cancels every run up to the latest begun.
    quint64 lastRunId_ = 0;
    quint64 cancelledThrough_ = 0;
    int runsInFlight_ = 0;
    // Runs begun and not yet ended; their texts are pasted in the order they were spoken.
    DeliveryOrder deliveryOrder_;
    // The spinner of the latest run, taken down when Escape cancels it.
    DictationOverlay::Content processingOverlay_ = DictationOverlay::noContent;
    ScopedRegistration cancelKeyGrab_;
    TimerHandle recordingLimit_;
    // The stretches of the recording under way, on this computer's engine; its run takes it.
    std::unique_ptr<LiveTranscription> live_;
};
