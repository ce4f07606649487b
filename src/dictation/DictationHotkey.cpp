#include "dictation/DictationHotkey.h"

#include "base/Log.h"
#include "base/Scheduler.h"
#include "models/AppSettings.h"
#include "models/RecordingStateMachine.h"
#include "platform/KeyCodes.h"
#include "services/hotkey/HotkeyManager.h"
#include "services/hotkey/HotkeyUtils.h"
#include "services/hotkey/ModifierHotkeyManager.h"

#include <QPointer>

#include <utility>

using namespace std::chrono_literals;
using S = RecordingStateValue;

namespace {

constexpr Scheduler::Duration holdThreshold = 300ms;
constexpr Scheduler::Duration doublePressWindow = 300ms;

}  // namespace

DictationHotkey::DictationHotkey(Dependencies dependencies, Actions actions, QObject* parent)
    : QObject(parent), deps_(dependencies), actions_(std::move(actions)) {}

DictationHotkey::~DictationHotkey() {
    stopInstalledManagers();
}

void DictationHotkey::setup() {
    const int keyCode = static_cast<int>(deps_.settings.hotkeyKeyCode());
    const int modifiers = static_cast<int>(deps_.settings.hotkeyModifiers());
    if (KeyCodes::isModifierOnlyKey(keyCode) && modifiers == 0 &&
        keyCode == ModifierHotkeyManager::fnKeyCode) {
        HotkeyUtils::ensureFnKeyAvailable();
    }
    install(keyCode, modifiers);
}

void DictationHotkey::update(int keyCode, int modifiers) {
    deps_.settings.setHotkeyKeyCode(keyCode);
    deps_.settings.setHotkeyModifiers(modifiers);
    install(keyCode, modifiers);
}

void DictationHotkey::install(int keyCode, int modifiers) {
    if (KeyCodes::isModifierOnlyKey(keyCode) && modifiers == 0) {
        installModifier(keyCode);
    } else {
        installCombination(keyCode, modifiers);
    }
}

void DictationHotkey::stopInstalledManagers() {
    if (hotkeyManager_) {
        hotkeyManager_->stop();
        hotkeyManager_.reset();
    }
    if (modifierHotkeyManager_) {
        modifierHotkeyManager_->stop();
        modifierHotkeyManager_.reset();
    }
}

void DictationHotkey::runLater(std::function<void()> DictationHotkey::Actions::*action) {
    QPointer<DictationHotkey> self(this);
    deps_.scheduler
        .scheduleOnce(0ms,
                      [self, action] {
                          if (self) {
                              (self->actions_.*action)();
                          }
                      })
        .release();
}

void DictationHotkey::installCombination(int keyCode, int modifiers) {
    stopInstalledManagers();
    auto manager =
        std::make_unique<HotkeyManager>(deps_.stateMachine, deps_.hotkeyBackend, deps_.scheduler);
    manager->onStartRecording = [this] { runLater(&Actions::startRecording); };
    manager->onStopRecording = [this] { runLater(&Actions::stopAndProcess); };
    Q_ASSERT(keyCode >= 0 && modifiers >= 0);
    if (manager->start(static_cast<quint32>(keyCode), static_cast<quint32>(modifiers))) {
        hotkeyManager_ = std::move(manager);
    } else {
        manager->stop();
        Log::line(QStringLiteral("[Quillo] Failed to start Carbon hotkey manager"));
    }
}

void DictationHotkey::installModifier(int keyCode) {
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

void DictationHotkey::modifierKeyDown() {
    RecordingStateMachine& machine = deps_.stateMachine;
    machine.onKeyDown();
    switch (machine.state()) {
        case S::processing:
            runLater(&Actions::stopAndProcess);
            break;
        case S::handsfreeRecording:
            Log::line(QStringLiteral("[Quillo] Handsfree → start recording"));
            actions_.startRecording();
            break;
        case S::pendingIntent: {
            QPointer<DictationHotkey> self(this);
            // Never cancelled: a late block finds a state in which it does nothing.
            deps_.scheduler
                .scheduleOnce(
                    holdThreshold,
                    [self] {
                        if (!self) {
                            return;
                        }
                        RecordingStateMachine& machine = self->deps_.stateMachine;
                        machine.onHoldThresholdReached();
                        if (machine.state() == S::holdRecording) {
                            Log::line(QStringLiteral("[Quillo] Hold threshold → start recording"));
                            self->actions_.startRecording();
                        }
                    })
                .release();
            break;
        }
        default:
            break;
    }
}

void DictationHotkey::modifierKeyUp() {
    RecordingStateMachine& machine = deps_.stateMachine;
    const S before = machine.state();
    machine.onKeyUp();
    const S now = machine.state();
    if (now == S::processing && before == S::holdRecording) {
        Log::line(QStringLiteral("[Quillo] Hold released → stop & process"));
        runLater(&Actions::stopAndProcess);
    } else if (now == S::checkDoublePress) {
        QPointer<DictationHotkey> self(this);
        deps_.scheduler
            .scheduleOnce(doublePressWindow,
                          [self] {
                              if (self) {
                                  self->deps_.stateMachine.onDoublePressTimeout();
                              }
                          })
            .release();
    }
}
