#pragma once

#include "base/Scheduler.h"
#include "platform/GlobalHotkeyBackend.h"

#include <functional>

class RecordingStateMachine;

// Turns one registered key combination into the dictation gestures: hold to talk (press,
// hold at least holdThreshold, release to stop) and hands-free (two presses within
// doublePressWindow start, one more press stops). Drives the shared state machine and
// tells its owner when to start and stop recording.
class HotkeyManager {
public:
    static constexpr Scheduler::Duration holdThreshold{300};
    static constexpr Scheduler::Duration doublePressWindow{300};
    static constexpr HotkeyId hotkeyId{fourCharCode("QUIL"), 1};

    HotkeyManager(RecordingStateMachine& stateMachine, GlobalHotkeyBackend& backend,
                  Scheduler& scheduler);
    HotkeyManager(const HotkeyManager&) = delete;
    HotkeyManager& operator=(const HotkeyManager&) = delete;

    // Registers keyCode with the Carbon modifier mask; a running registration is replaced.
    // Returns true when the combination is registered.
    bool start(quint32 keyCode, quint32 modifiers);
    void stop();

    bool isHandlerInstalled() const { return eventHandlerRef_.isSet(); }
    bool isRegistered() const { return hotKeyRef_.isSet(); }

    std::function<void()> onStartRecording;
    std::function<void()> onStopRecording;

private:
    bool handleCarbonEvent(const HotkeyEvent& event);
    void handleKeyDown();
    void handleKeyUp();
    void holdTimerFired();
    static void call(const std::function<void()>& callback);
    void logRegistered() const;

    RecordingStateMachine& stateMachine_;
    GlobalHotkeyBackend& backend_;
    Scheduler& scheduler_;
    ScopedRegistration eventHandlerRef_;
    ScopedRegistration hotKeyRef_;
    quint32 registeredKeyCode_ = 0;
    quint32 registeredModifiers_ = 0;
    TimerHandle holdTimer_;
    TimerHandle doublePressTimer_;
};
