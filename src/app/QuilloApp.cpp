#include "app/QuilloApp.h"

#include "app/DictationCoordinator.h"
#include "app/TrayIcon.h"
#include "models/AppSettings.h"
#include "models/AppState.h"
#include "platform/DefaultsStore.h"
#include "platform/QtScheduler.h"
#include "platform/linux/LinuxActivationPolicy.h"
#include "platform/linux/LinuxDeviceIdentity.h"
#include "platform/linux/LinuxFnKeySetting.h"
#include "platform/linux/QtAudioInput.h"
#include "platform/linux/QtPasteboard.h"
#include "platform/linux/QtSoundPlayer.h"
#include "platform/linux/WhisperCppSpeechEngine.h"
#include "platform/linux/WaylandSessionNotice.h"
#include "platform/linux/X11AccessibilityTrust.h"
#include "platform/linux/X11CompositorStatus.h"
#include "platform/linux/X11GlobalHotkeyBackend.h"
#include "platform/linux/X11KeyCodes.h"
#include "platform/linux/X11KeyboardLayout.h"
#include "platform/linux/X11ModifierEventSource.h"
#include "platform/linux/XTestKeystrokeSender.h"
#include "platform/linux/XdgAutostartLoginItemService.h"
#include "platform/linux/XdotoolScriptKeystroke.h"
#include "services/AudioRecorder.h"
#include "services/ClipboardManager.h"
#include "services/HotkeyUtils.h"
#include "services/LocalTranscriptionService.h"
#include "views/KeyCaptureView.h"
#include "views/MenuBarView.h"
#include "views/OnboardingWindowController.h"
#include "views/OverlayWindowController.h"
#include "views/SettingsWindowController.h"

#include <QApplication>
#include <QNetworkAccessManager>
#include <QPointer>

using namespace std::chrono_literals;

// Declared in the order they are built: every part is built after what it uses.
struct QuilloApp::Parts {
    explicit Parts(DefaultsStore& store)
        : settings(AppSettings::shared()),
          defaults(store),
          audioInput(std::make_shared<QtAudioInput>()),
          recorder(audioInput),
          clipboard(pasteboard, keystrokes, script, accessibility, scheduler),
          overlay(scheduler, compositor),
          loginItems(QCoreApplication::applicationFilePath()),
          activationPolicy(ActivationPolicy::Policy::accessory),
          appState(settings),
          localTranscription(speechEngine, scheduler, settings),
          coordinator(DictationCoordinator::Dependencies{
              settings, recorder, clipboard, overlay, sounds, accessibility, scheduler,
              hotkeyBackend, modifierEvents, loginItems, deviceIdentity,
              DictationCoordinator::RemoteServices{HttpTransport(&network), {}, {}, {}},
              [] { OnboardingWindowController::shared().show(); }, &localTranscription}) {}

    AppSettings& settings;
    DefaultsStore& defaults;
    QtScheduler scheduler;
    QNetworkAccessManager network;
    X11KeyboardLayout keyboardLayout;
    LinuxFnKeySetting fnKeySetting;
    X11GlobalHotkeyBackend hotkeyBackend;
    X11ModifierEventSource modifierEvents;
    X11AccessibilityTrust accessibility;
    std::shared_ptr<QtAudioInput> audioInput;
    AudioRecorder recorder;
    QtPasteboard pasteboard;
    XTestKeystrokeSender keystrokes;
    XdotoolScriptKeystroke script;
    ClipboardManager clipboard;
    X11CompositorStatus compositor;
    OverlayWindowController overlay;
    QtSoundPlayer sounds;
    XdgAutostartLoginItemService loginItems;
    LinuxDeviceIdentity deviceIdentity;
    LinuxActivationPolicy activationPolicy;
    AppState appState;
    WhisperCppSpeechEngine speechEngine;
    LocalTranscriptionService localTranscription;
    DictationCoordinator coordinator;
    std::unique_ptr<MenuBarView> menu;
    std::unique_ptr<TrayIcon> tray;
};

QuilloApp::QuilloApp(DefaultsStore& store, QObject* parent)
    : QObject(parent), parts_(std::make_unique<Parts>(store)) {}

QuilloApp::~QuilloApp() = default;

void QuilloApp::start() {
    Parts& p = *parts_;
    WaylandSessionNotice::logOnce();
    HotkeyUtils::installKeyboardLayout(&p.keyboardLayout);
    HotkeyUtils::installFnKeySetting(&p.fnKeySetting);
    decideTaskbarPresence();
    installWindowServices();

    p.appState.follow(p.coordinator.stateMachine());
    p.menu = std::make_unique<MenuBarView>(
        p.settings, p.appState, p.coordinator.stateMachine(), [this] { openSettings(); },
        [] { QApplication::quit(); });
    p.tray = std::make_unique<TrayIcon>(p.appState, p.menu.get());
    p.coordinator.start();
}

bool QuilloApp::showsInTaskbarAtLaunch(const DefaultsStore& store) {
    const QString key = QLatin1String(AppSettings::Keys::showInDock);
    return !store.contains(key) || store.boolean(key);
}

void QuilloApp::decideTaskbarPresence() {
    Parts& p = *parts_;
    if (showsInTaskbarAtLaunch(p.defaults)) {
        QPointer<QuilloApp> self(this);
        p.scheduler
            .scheduleOnce(0ms,
                          [self] {
                              if (self) {
                                  self->parts_->activationPolicy.setPolicy(
                                      ActivationPolicy::Policy::regular);
                              }
                          })
            .release();
    }
}

void QuilloApp::installWindowServices() {
    Parts& p = *parts_;
    KeyCaptureView::installNativeKeyTranslator(
        [](quint32 scanCode) -> std::optional<int> {
            if (scanCode > 255) {
                return std::nullopt;
            }
            return X11KeyCodes::fromX(static_cast<quint8>(scanCode));
        });
    SettingsWindowController::installServices(p.settings, &p.loginItems, &p.activationPolicy);
    // Wired at start-up too, so a window first opened by re-activation installs new hotkeys.
    QPointer<DictationCoordinator> coordinator(&p.coordinator);
    SettingsWindowController::shared().setOnHotkeyChanged([coordinator](int keyCode, int modifiers) {
        if (coordinator) {
            coordinator->updateHotkey(keyCode, modifiers);
        }
    });
    DictationRecorder* recorder = &p.recorder;
    OnboardingWindowController::installServices(OnboardingView::Services{
        [recorder] { return recorder->requestPermission(); }, &p.loginItems, &p.activationPolicy,
        {}});
}

void QuilloApp::openSettings() {
    QPointer<DictationCoordinator> coordinator(&parts_->coordinator);
    SettingsWindowController::shared().setOnHotkeyChanged([coordinator](int keyCode, int modifiers) {
        if (coordinator) {
            coordinator->updateHotkey(keyCode, modifiers);
        }
    });
    SettingsWindowController::shared().show();
}

void QuilloApp::reopen() { SettingsWindowController::shared().show(); }
