#include "app/QuilloApp.h"

#include "app/SessionPlatform.h"
#include "base/QtScheduler.h"
#include "dictation/AbsentOverlay.h"
#include "dictation/DictationCoordinator.h"
#include "models/AppSettings.h"
#include "models/AppState.h"
#include "models/SpeechDeviceStatus.h"
#include "platform/audio/PulseSourceList.h"
#include "platform/audio/QtAudioInput.h"
#include "platform/audio/QtSoundPlayer.h"
#include "platform/DefaultsStore.h"
#include "platform/desktop/LinuxDeviceIdentity.h"
#include "platform/desktop/LinuxFnKeySetting.h"
#include "platform/desktop/XdgAutostartLoginItemService.h"
#include "platform/TextTyper.h"
#include "platform/wayland/CommandHotkeyBackend.h"
#include "platform/wayland/GnomeShortcutHotkeyBackend.h"
#include "platform/wayland/PortalGlobalShortcutsBackend.h"
#include "platform/whisper/WhisperCppSpeechEngine.h"
#include "platform/x11/X11ActivationPolicy.h"
#include "platform/x11/X11CancelKeyGrab.h"
#include "platform/x11/X11CompositorStatus.h"
#include "platform/x11/X11KeyboardLayout.h"
#include "platform/x11/X11KeyCodes.h"
#include "platform/x11/XdotoolScriptKeystroke.h"
#include "services/audio/AudioRecorder.h"
#include "services/audio/WebRtcSpeechDetector.h"
#include "services/hotkey/HotkeyUtils.h"
#include "services/local/LocalTranscriber.h"
#include "services/local/SpeechModelDownloader.h"
#include "services/paste/ClipboardManager.h"
#include "views/onboarding/OnboardingWindowController.h"
#include "views/overlay/OverlayWindowController.h"
#include "views/settings/SettingsWindowController.h"
#include "views/tray/MenuBarView.h"
#include "views/tray/TrayIcon.h"
#include "views/widgets/KeyCaptureView.h"

#include <QApplication>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QTimer>

using namespace std::chrono_literals;

// Declared in the order they are built: every part is built after what it uses.
struct QuilloApp::Parts {
    explicit Parts(DefaultsStore& store)
        : settings(AppSettings::shared()),
          defaults(store),
          platform(SessionEnvironment::current(), scheduler, store, settings.secrets()),
          audioInput(std::make_shared<QtAudioInput>()),
          recorder(audioInput),
          clipboard(platform.pasteboard(), platform.keystrokes(), script, platform.accessibility(),
                    scheduler),
          overlay(scheduler, compositor),
          loginItems(QCoreApplication::applicationFilePath()),
          activationPolicy(ActivationPolicy::Policy::accessory),
          appState(settings),
          localTranscription(speechEngine, scheduler, settings),
          coordinator(DictationCoordinator::Dependencies{
              settings, recorder, clipboard,
              platform.showsOverlay() ? static_cast<DictationOverlay&>(overlay) : absentOverlay,
              sounds, platform.accessibility(), scheduler, platform.hotkeyBackend(),
              platform.modifierEvents(), loginItems, deviceIdentity,
              DictationCoordinator::RemoteServices{HttpTransport(&network), {}, {}, {}},
              [] { OnboardingWindowController::shared().show(); }, cancelKey, speechDetector,
              &localTranscription, platform.windowFocus()}) {
        if (TextTyper* typer = platform.textTyper())
            clipboard.typeInsteadOfPasting(*typer);
        if (platform.pastesThroughClipboardBridge())
            clipboard.pasteThroughClipboardBridge();
        DictationOverlay& shownOverlay =
            platform.showsOverlay() ? static_cast<DictationOverlay&>(overlay) : absentOverlay;
        clipboard.onPreviousClipboardIncomplete([&shownOverlay] {
            //: Shown on the overlay when the clipboard from before the dictation was too large or
            //: too slow to keep whole; it will come back incomplete.
            shownOverlay.showError(qtTrId("clipboard.previousNotKeptWhole"));
        });
        clipboard.onUntypeableCharacters([&shownOverlay](const QString& characters) {
            //: Shown on the overlay when characters of a typed dictation have no key in the
            //: keyboard layout and could not be entered otherwise; %1 lists them.
            shownOverlay.showError(qtTrId("clipboard.untypeableCharacters").arg(characters));
        });
    }

    AppSettings& settings;
    DefaultsStore& defaults;
    QtScheduler scheduler;
    QNetworkAccessManager network;
    SpeechModelDownloader modelDownloader{network};
    X11KeyboardLayout keyboardLayout;
    LinuxFnKeySetting fnKeySetting;
    // The hotkey, paste chord, clipboard and input trust of this session (X11 or Wayland).
    SessionPlatform platform;
    std::shared_ptr<QtAudioInput> audioInput;
    AudioRecorder recorder;
    XdotoolScriptKeystroke script;
    ClipboardManager clipboard;
    X11CompositorStatus compositor;
    OverlayWindowController overlay;
    AbsentOverlay absentOverlay;
    QtSoundPlayer sounds;
    XdgAutostartLoginItemService loginItems;
    LinuxDeviceIdentity deviceIdentity;
    X11ActivationPolicy activationPolicy;
    X11CancelKeyGrab cancelKey;
    WebRtcSpeechDetector speechDetector;
    AppState appState;
    WhisperCppSpeechEngine speechEngine;
    SpeechDeviceStatus speechDevice{speechEngine.device().threads};
    LocalTranscriber localTranscription;
    DictationCoordinator coordinator;
    std::unique_ptr<MenuBarView> menu;
    std::unique_ptr<TrayIcon> tray;
    PulseSourceList audioSources;
};

QuilloApp::QuilloApp(DefaultsStore& store, QObject* parent)
    : QObject(parent), parts_(std::make_unique<Parts>(store)) {}

QuilloApp::~QuilloApp() = default;

void QuilloApp::start() {
    Parts& p = *parts_;
    p.platform.announce();
    HotkeyUtils::installKeyboardLayout(&p.keyboardLayout);
    HotkeyUtils::installFnKeySetting(&p.fnKeySetting);
    decideTaskbarPresence();
    installWindowServices();

    p.appState.follow(p.coordinator.stateMachine());
    p.menu = std::make_unique<MenuBarView>(
        p.settings, p.appState, p.coordinator.stateMachine(), [this] { openSettings(); },
        [] { QApplication::quit(); });
    p.menu->setOpenConnectionSettings([this] {
        openSettings();
        SettingsWindowController::shared().showSection(SettingsSection::connection);
    });
    p.menu->setModelDownloader(&p.modelDownloader);
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
            .scheduleOnce(
                0ms,
                [self] {
                    if (self) {
                        self->parts_->activationPolicy.setPolicy(ActivationPolicy::Policy::regular);
                    }
                })
            .release();
    }
}

void QuilloApp::installWindowServices() {
    Parts& p = *parts_;
    KeyCaptureView::installNativeKeyTranslator([](quint32 scanCode) -> std::optional<int> {
        if (scanCode > 255) {
            return std::nullopt;
        }
        return X11KeyCodes::fromX(static_cast<quint8>(scanCode));
    });
    SettingsWindowController::installServices(p.settings, &p.loginItems, &p.activationPolicy);
    SettingsWindowController::shared().setAudioSources(&p.audioSources);
    SettingsWindowController::shared().setModelDownloader(&p.modelDownloader);
    AppSettings* settings = &p.settings;
    // The switch is read at each model load; the settings show where the model went.
    WhisperCppSpeechEngine* engine = &p.speechEngine;
    SpeechDeviceStatus* device = &p.speechDevice;
    engine->setGraphicsCardWanted([settings] { return settings->useGpu(); });
    engine->setDeviceObserver(
        [engine, device] { device->update(engine->device(), engine->graphicsCard()); });
    device->setLookup([engine] { engine->findGraphicsCard(); });
    SettingsWindowController::shared().setSpeechDevice(device);
    p.audioInput->setDeviceChoice([settings] { return settings->inputDevice().toUtf8(); });
    // Wired at start-up too, so a window first opened by re-activation installs new hotkeys.
    QPointer<DictationCoordinator> coordinator(&p.coordinator);
    SettingsWindowController::shared().setOnHotkeyChanged(
        [coordinator](int keyCode, int modifiers) {
            if (coordinator) {
                coordinator->updateHotkey(keyCode, modifiers);
            }
        });
    wireDesktopHotkeyReports();
    DictationRecorder* recorder = &p.recorder;
    OnboardingView::Services onboarding{[recorder] { return recorder->requestPermission(); },
                                        &p.loginItems,
                                        &p.activationPolicy,
                                        {},
                                        {},
                                        {}};
    onboarding.speech.downloader = &p.modelDownloader;
    onboarding.speech.transport = HttpTransport(&p.network);
    onboarding.speech.processorShortfall = WhisperCppSpeechEngine::missingProcessorFeatures();
    onboarding.openConnectionSettings = [] {
        SettingsWindowController::shared().showSection(SettingsSection::connection);
    };
    onboarding.dictation = &p.coordinator;
    OnboardingWindowController::installServices(std::move(onboarding));
}

void QuilloApp::wireDesktopHotkeyReports() {
    Parts& p = *parts_;
    SettingsWindowController& settingsWindow = SettingsWindowController::shared();
    settingsWindow.setCanBindLoneModifiers(p.platform.hotkeyBackend().canBindLoneModifiers());
    if (GnomeShortcutHotkeyBackend* gnome = p.platform.gnomeShortcutHotkeys())
        wireGnomeHotkeyReports(*gnome);
    PortalGlobalShortcutsBackend* portal = p.platform.portalHotkeys();
    if (!portal)
        return;
    connect(portal, &PortalGlobalShortcutsBackend::triggerTaken, &settingsWindow,
            [&settingsWindow] { settingsWindow.showTriggerTaken(); });
    connect(portal, &PortalGlobalShortcutsBackend::triggerChanged, &settingsWindow,
            &SettingsWindowController::showTriggerChanged);
}

namespace {
constexpr std::chrono::milliseconds kGnomeRebindDelay{1000};
}  // namespace

void QuilloApp::wireGnomeHotkeyReports(GnomeShortcutHotkeyBackend& gnome) {
    SettingsWindowController& settingsWindow = SettingsWindowController::shared();
    settingsWindow.setHoldUnavailable(!gnome.holdWorks());
    connect(&gnome, &GnomeShortcutHotkeyBackend::holdWorksChanged, &settingsWindow,
            [&settingsWindow](bool works) { settingsWindow.setHoldUnavailable(!works); });
    QPointer<DictationCoordinator> coordinator(&parts_->coordinator);
    AppSettings* settings = &parts_->settings;
    auto report = [&gnome, &settingsWindow, coordinator, settings] {
        const auto conflict = gnome.conflict();
        if (!conflict) {
            settingsWindow.showDesktopConflict({}, {});
            return;
        }
        std::function<bool()> freeKeys;
        if (GnomeBindingConflicts::canFree(*conflict)) {
            freeKeys = [&gnome, coordinator, settings] {
                if (!gnome.freeConflictingKeys())
                    return false;
                // The same hotkey again once the shell has let the keys go: it applies the
                // freed binding on its own time, and a grab asked for before that is refused.
                QTimer::singleShot(kGnomeRebindDelay, coordinator, [coordinator, settings] {
                    if (coordinator)
                        coordinator->updateHotkey(int(settings->hotkeyKeyCode()),
                                                  int(settings->hotkeyModifiers()));
                });
                return true;
            };
        }
        settingsWindow.showDesktopConflict(conflict->description, freeKeys);
    };
    connect(&gnome, &GnomeShortcutHotkeyBackend::conflictChanged, &settingsWindow, report);
    // The first registration ran before this wiring.
    report();
}

void QuilloApp::openSettings() {
    QPointer<DictationCoordinator> coordinator(&parts_->coordinator);
    SettingsWindowController::shared().setOnHotkeyChanged(
        [coordinator](int keyCode, int modifiers) {
            if (coordinator) {
                coordinator->updateHotkey(keyCode, modifiers);
            }
        });
    SettingsWindowController::shared().show();
}

void QuilloApp::reopen() {
    SettingsWindowController::shared().show();
}

void QuilloApp::hotkeyPressRequested() {
    if (CommandHotkeyBackend* hotkeys = parts_->platform.commandHotkeys())
        hotkeys->press();
    // GNOME's custom shortcut runs the press command on the press and on every key repeat.
    if (GnomeShortcutHotkeyBackend* hotkeys = parts_->platform.gnomeShortcutHotkeys())
        hotkeys->trigger();
}

void QuilloApp::hotkeyReleaseRequested() {
    if (CommandHotkeyBackend* hotkeys = parts_->platform.commandHotkeys())
        hotkeys->release();
}
