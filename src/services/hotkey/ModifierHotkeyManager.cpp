#include "services/hotkey/ModifierHotkeyManager.h"

#include "base/Log.h"
#include "platform/AccessibilityTrust.h"

namespace {

QString boolText(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }

bool containsAll(quint64 flags, quint64 mask) { return (flags & mask) == mask; }

}  // namespace

ModifierHotkeyManager::ModifierHotkeyManager(ModifierEventSource& events, AccessibilityTrust& trust,
                                             Scheduler& scheduler)
    : events_(events), trust_(trust), scheduler_(scheduler),
      self_(std::make_shared<ModifierHotkeyManager*>(this)) {}

void ModifierHotkeyManager::configure(int keyCode) {
    Q_ASSERT(keyCode >= 0 && keyCode <= 0xFFFF);
    targetKeyCode_ = static_cast<quint16>(keyCode);
    targetFlag_ = flagForKeyCode(keyCode);
    targetNSFlag_ = nsFlagForKeyCode(keyCode);
}

bool ModifierHotkeyManager::start() {
    if (!events_.canReport(targetKeyCode_)) {
        // Nothing would ever be reported: fail, so that the owner says the hotkey is dead.
        Log::line(QStringLiteral("[ModifierHotkey] keyCode=%1 is never reported on this desktop")
                      .arg(targetKeyCode_));
        return false;
    }
    const bool trusted = trust_.isTrusted();
    Log::line(QStringLiteral("[ModifierHotkey] AXIsProcessTrusted: ") + boolText(trusted));
    bool tapStarted = false;
    if (trusted) {
        tapStarted = startCGEventTap();
        Log::line(QStringLiteral("[ModifierHotkey] CGEventTap started: ") + boolText(tapStarted));
    } else {
        Log::line(QStringLiteral("[ModifierHotkey] Not trusted — requesting Accessibility permission"));
        trust_.isTrustedWithPrompt();
    }
    startNSEventMonitors();
    // One X subscription sees the events of every window, ours included: it serves as both
    // the global and the local monitor.
    const bool monitors = globalMonitor_.isSet();
    Log::line(QStringLiteral("[ModifierHotkey] NSEvent monitors active: global=%1, local=%2")
                  .arg(boolText(monitors), boolText(monitors)));
    Log::line(QStringLiteral("[ModifierHotkey] ✓ Started (%1) for keyCode=%2, targetFlag=%3")
                  .arg(tapStarted ? QStringLiteral("CGEventTap + NSEvent") : QStringLiteral("NSEvent only"))
                  .arg(targetKeyCode_)
                  .arg(targetFlag_));
    return tapStarted || monitors;
}

bool ModifierHotkeyManager::startCGEventTap() {
    eventTap_ = events_.subscribe([this](const ModifierChange& change) { handleCGFlags(change); });
    if (!eventTap_.isSet()) {
        Log::line(QStringLiteral("[ModifierHotkey] Failed to create any event tap"));
        return false;
    }
    return true;
}

void ModifierHotkeyManager::startNSEventMonitors() {
    globalMonitor_ = events_.subscribe([this](const ModifierChange& change) { handleNSFlags(change); });
}

void ModifierHotkeyManager::stop() {
    eventTap_.reset();
    globalMonitor_.reset();
    previousCGFlags_ = 0;
    previousNSFlags_ = 0;
    probedFnDown_ = false;
    reportedDown_ = false;
}

bool ModifierHotkeyManager::isTargetKey(int keyCode) const {
    return isFnTarget() ? (isFnKeyCode(keyCode) || keyCode == -1) : keyCode == targetKeyCode_;
}

void ModifierHotkeyManager::handleCGFlags(const ModifierChange& change) {
    const quint64 flags = change.flags;
    if (!isTargetKey(change.keyCode)) {
        previousCGFlags_ = flags;
        return;
    }
    // An empty target (a key that is no modifier) never goes down.
    const bool wasDown = targetFlag_ != 0 && containsAll(previousCGFlags_, targetFlag_);
    const bool isDown = targetFlag_ != 0 && containsAll(flags, targetFlag_);
    if (!wasDown && isDown) {
        Log::line(QStringLiteral("[ModifierHotkey] CGEvent: key DOWN (keyCode=%1)").arg(change.keyCode));
        report(Report::keyDown);
    } else if (wasDown && !isDown) {
        Log::line(QStringLiteral("[ModifierHotkey] CGEvent: key UP (keyCode=%1)").arg(change.keyCode));
        report(Report::keyUp);
    } else if (isFnTarget() && !(previousCGFlags_ & fnFlag) && !(flags & fnFlag)) {
        // An Fn key whose events carry no Fn flag: only the hardware state tells. The press
        // seen this way is remembered so that its release, which carries no flag either,
        // is found the same way.
        const bool hardwareDown = events_.isKeyDown(fnKeyCode);
        if (hardwareDown && !probedFnDown_) {
            probedFnDown_ = true;
            Log::line(QStringLiteral("[ModifierHotkey] CGEvent: fn DOWN (hardware probe)"));
            report(Report::keyDown);
        } else if (!hardwareDown && probedFnDown_) {
            probedFnDown_ = false;
            Log::line(QStringLiteral("[ModifierHotkey] CGEvent: fn UP (hardware probe)"));
            report(Report::keyUp);
        }
    }
    previousCGFlags_ = flags;
}

void ModifierHotkeyManager::handleNSFlags(const ModifierChange& change) {
    const quint64 flags = change.flags;
    // The flag alone cannot tell left from right: a left Alt (Alt+Tab) would fire a right-Alt
    // hotkey. When the source names the key, it must be the target.
    if (change.keyCode != -1 && !isTargetKey(change.keyCode)) {
        previousNSFlags_ = flags;
        return;
    }
    const bool wasDown = targetNSFlag_ != 0 && (previousNSFlags_ & targetNSFlag_) != 0;
    const bool isDown = targetNSFlag_ != 0 && (flags & targetNSFlag_) != 0;
    if (!wasDown && isDown) {
        Log::line(QStringLiteral("[ModifierHotkey] >>> TARGET KEY DOWN (keyCode=%1)").arg(change.keyCode));
        report(Report::keyDown);
    } else if (wasDown && !isDown) {
        Log::line(QStringLiteral("[ModifierHotkey] >>> TARGET KEY UP (keyCode=%1)").arg(change.keyCode));
        report(Report::keyUp);
    }
    previousNSFlags_ = flags;
}

void ModifierHotkeyManager::report(Report report) {
    // Both paths usually see the same press: the first report of a transition goes out,
    // the other path's report of the same transition finds the state already there.
    const bool down = report == Report::keyDown;
    if (down == reportedDown_) return;
    reportedDown_ = down;

    std::weak_ptr<ModifierHotkeyManager*> weak = self_;
    scheduler_
        .scheduleOnce(Scheduler::Duration(0),
                      [weak, down] {
                          const auto self = weak.lock();
                          if (!self) return;
                          const auto& callback = down ? (*self)->onKeyDown : (*self)->onKeyUp;
                          if (callback) callback();
                      })
        .release();
}
