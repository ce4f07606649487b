#pragma once

#include "base/Scheduler.h"
#include "platform/KeyCodes.h"
#include "platform/ModifierEventSource.h"

#include <functional>
#include <memory>

class AccessibilityTrust;

// Reports when one lone modifier key (Fn, Command, Shift, Option or Control, left or right)
// goes down and comes up. Knows nothing of gestures; its owner turns the reports into them.
//
// Two detection paths watch the modifier changes: the "tap" path, which tells left from
// right by key code and probes the hardware state for Fn, and the "monitor" path, which
// follows the modifier flag of changes to the target key (of any change when the system does
// not say which key changed). Both may see one press; their reports are merged so that
// a physical press gives exactly one onKeyDown and one onKeyUp, each on a later turn of the
// main loop.
class ModifierHotkeyManager {
public:
    static constexpr quint64 commandFlag = KeyCodes::commandFlag;
    static constexpr quint64 optionFlag = KeyCodes::optionFlag;
    static constexpr quint64 controlFlag = KeyCodes::controlFlag;
    static constexpr quint64 shiftFlag = KeyCodes::shiftFlag;
    static constexpr quint64 fnFlag = KeyCodes::fnFlag;
    static constexpr int fnKeyCode = 63;

    // The tap path's and the monitor path's flag for a key code; 0 for any other key.
    static quint64 flagForKeyCode(int keyCode) { return KeyCodes::modifierFlag(keyCode); }
    static quint64 nsFlagForKeyCode(int keyCode) { return flagForKeyCode(keyCode); }
    static bool isFnKeyCode(int keyCode) { return keyCode == 63 || keyCode == 179; }

    ModifierHotkeyManager(ModifierEventSource& events, AccessibilityTrust& trust, Scheduler& scheduler);
    ModifierHotkeyManager(const ModifierHotkeyManager&) = delete;
    ModifierHotkeyManager& operator=(const ModifierHotkeyManager&) = delete;

    // keyCode in 0...65535.
    void configure(int keyCode);
    // True when at least one path can deliver events. False at once for a key the system
    // never reports (Fn on X11).
    bool start();
    void stop();

    quint16 targetKeyCode() const { return targetKeyCode_; }
    quint64 targetFlag() const { return targetFlag_; }

    std::function<void()> onKeyDown;
    std::function<void()> onKeyUp;

private:
    enum class Report { keyDown, keyUp };

    bool startCGEventTap();
    void startNSEventMonitors();
    void handleCGFlags(const ModifierChange& change);
    void handleNSFlags(const ModifierChange& change);
    bool isFnTarget() const { return isFnKeyCode(targetKeyCode_); }
    bool isTargetKey(int keyCode) const;
    void report(Report report);

    ModifierEventSource& events_;
    AccessibilityTrust& trust_;
    Scheduler& scheduler_;
    // Reports scheduled for a later turn hold this weakly: they do nothing once it is gone.
    std::shared_ptr<ModifierHotkeyManager*> self_;

    ScopedRegistration eventTap_;
    ScopedRegistration globalMonitor_;
    quint64 previousCGFlags_ = 0;
    quint64 previousNSFlags_ = 0;
    // Set while a press that only the hardware probe saw is down.
    bool probedFnDown_ = false;
    // The key's state as last reported to the owner; the merge point of both paths.
    bool reportedDown_ = false;

    quint16 targetKeyCode_ = fnKeyCode;
    quint64 targetFlag_ = fnFlag;
    quint64 targetNSFlag_ = fnFlag;
};
