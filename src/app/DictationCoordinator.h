#pragma once

#include "models/DictationMode.h"
#include "models/RecordingStateMachine.h"
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
class DictationOverlay;
class DeviceIdentity;
class DictationRecorder;
class GlobalHotkeyBackend;
class HotkeyManager;
class LocalTranscriptionService;
class LoginItemService;
class ModifierEventSource;
class ModifierHotkeyManager;
class Scheduler;
class SoundPlayer;
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
    void setupHotkey();
    void installHotkey(int keyCode, int modifiers);
    void setupCarbonHotkey(int keyCode, int modifiers);
    void setupModifierHotkey(int keyCode);
    void stopInstalledManagers();
    void modifierKeyDown();
    void modifierKeyUp();
    void runLater(std::function<void(DictationCoordinator&)> action);
    void startProcessingTask();

    QCoro::Task<void> requestMicrophonePermission();
    QCoro::Task<std::optional<QString>> transcribeAndFormat(QByteArray audio,
                                                            std::optional<QString> language,
                                                            DictationMode mode);
    QCoro::Task<std::optional<QString>> transcribeLocallyAndFormat(QByteArray audio,
                                                                   std::optional<QString> language,
                                                                   DictationMode mode);
    void prepareLocalTranscription();
    void handleFailure(const std::exception_ptr& error);
    void markOverlayShowingError();
    QCoro::Task<void> clearOverlayErrorLater();
    void finishRun();

    Dependencies deps_;
    RecordingStateMachine stateMachine_;
    std::unique_ptr<HotkeyManager> hotkeyManager_;
    std::unique_ptr<ModifierHotkeyManager> modifierHotkeyManager_;
    bool overlayShowingError_ = false;
};
