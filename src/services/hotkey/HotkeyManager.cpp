#include "services/hotkey/HotkeyManager.h"

#include "base/Log.h"
#include "models/RecordingStateMachine.h"

#include <algorithm>

HotkeyManager::HotkeyManager(RecordingStateMachine& stateMachine, GlobalHotkeyBackend& backend,
                             Scheduler& scheduler)
    : stateMachine_(stateMachine), backend_(backend), scheduler_(scheduler) {}

bool HotkeyManager::start(quint32 keyCode, quint32 modifiers) {
    if (!eventHandlerRef_.isSet()) {
        auto installed =
            backend_.installHandler([this](const HotkeyEvent& event) { return handleCarbonEvent(event); });
        if (!installed.succeeded()) {
            Log::line(QStringLiteral("[HotkeyManager] InstallEventHandler failed: %1").arg(installed.status));
            return false;
        }
        eventHandlerRef_ = std::move(installed.registration);
    }
    // Released before the new grab, so re-registering the same combination works too.
    hotKeyRef_.reset();

    auto registered = backend_.registerHotkey(keyCode, modifiers, hotkeyId);
    if (!registered.succeeded()) {
        Log::line(QStringLiteral("[HotkeyManager] RegisterEventHotKey failed: %1").arg(registered.status));
        return false;
    }
    hotKeyRef_ = std::move(registered.registration);
    registeredKeyCode_ = keyCode;
    registeredModifiers_ = modifiers;
    // A portal confirms later: the line then waits for its answer.
    if (!registered.awaitingConfirmation) logRegistered();
    return true;
}

void HotkeyManager::logRegistered() const {
    Log::line(QStringLiteral("[HotkeyManager] Carbon hotkey registered (keyCode=%1, modifiers=%2)")
                  .arg(registeredKeyCode_)
                  .arg(registeredModifiers_));
}

void HotkeyManager::stop() {
    hotKeyRef_.reset();
    eventHandlerRef_.reset();
    holdTimer_.cancel();
    doublePressTimer_.cancel();
}

bool HotkeyManager::handleCarbonEvent(const HotkeyEvent& event) {
    if (!event.id || *event.id != hotkeyId) return false;
    // The combination's text is fixed: the lines read the same whatever key is configured.
    switch (event.kind) {
    case HotkeyEventKind::released:
        Log::line(QStringLiteral("[HotkeyManager] Option+Space UP (state: %1)")
                      .arg(caseName(stateMachine_.state())));
        handleKeyUp();
        return true;
    case HotkeyEventKind::pressed:
        Log::line(QStringLiteral("[HotkeyManager] Option+Space DOWN (state: %1)")
                      .arg(caseName(stateMachine_.state())));
        handleKeyDown();
        return true;
    case HotkeyEventKind::confirmed:
        if (hotKeyRef_.isSet()) logRegistered();
        return true;
    case HotkeyEventKind::refused:
        Log::line(QStringLiteral("[HotkeyManager] RegisterEventHotKey failed: %1").arg(event.status));
        hotKeyRef_.reset();
        return true;
    }
    return false;
}

void HotkeyManager::handleKeyDown() {
    doublePressTimer_.cancel();
    stateMachine_.onKeyDown();
    switch (stateMachine_.state()) {
    case RecordingStateValue::pendingIntent:
        // A backend that learns of a release late (a press-only trigger) would have every tap
        // taken for a hold.
        holdTimer_ = scheduler_.scheduleOnce(std::max(holdThreshold, backend_.holdRecognisedAfter()),
                                             [this] { holdTimerFired(); });
        break;
    case RecordingStateValue::handsfreeRecording:
        Log::line(QStringLiteral("[HotkeyManager] Handsfree recording started"));
        call(onStartRecording);
        break;
    case RecordingStateValue::processing:
        // Also a press during a run that is already processing.
        call(onStopRecording);
        break;
    default:
        break;
    }
}

void HotkeyManager::holdTimerFired() {
    stateMachine_.onHoldThresholdReached();
    if (stateMachine_.state() == RecordingStateValue::holdRecording) {
        Log::line(QStringLiteral("[HotkeyManager] Hold threshold reached -> start recording"));
        call(onStartRecording);
    }
}

void HotkeyManager::handleKeyUp() {
    holdTimer_.cancel();
    const RecordingStateValue before = stateMachine_.state();
    stateMachine_.onKeyUp();
    if (before == RecordingStateValue::holdRecording) {
        Log::line(QStringLiteral("[HotkeyManager] Hold released -> stop recording"));
        call(onStopRecording);
    } else if (stateMachine_.state() == RecordingStateValue::checkDoublePress) {
        doublePressTimer_ = scheduler_.scheduleOnce(doublePressWindow, [this] {
            stateMachine_.onDoublePressTimeout();
            Log::line(QStringLiteral("[HotkeyManager] Double-press timeout -> back to idle"));
        });
    }
    // A release during hands-free recording or processing is ignored.
}

void HotkeyManager::call(const std::function<void()>& callback) {
    if (callback) callback();
}
