#pragma once

#include "platform/Pasteboard.h"
#include "platform/Scheduler.h"
#include "services/TextPaster.h"

class AccessibilityTrust;
class KeystrokeSender;
class ScriptKeystroke;

// Delivers dictated text into the focused application: puts it on the clipboard, presses the
// paste chord (or has a helper program press it), and afterwards puts back what the clipboard
// held before. Holds no state between calls; the ports must outlive every running paste.
class ClipboardManager final : public TextPaster {
public:
    static constexpr Scheduler::Duration kModifierPollInterval{25};
    static constexpr int kMaxModifierPolls = 24;
    static constexpr Scheduler::Duration kPauseBeforeKeystroke{50};
    static constexpr Scheduler::Duration kPauseBeforeRestore{500};

    ClipboardManager(Pasteboard& pasteboard, KeystrokeSender& keystrokes, ScriptKeystroke& script,
                     AccessibilityTrust& trust, Scheduler& scheduler);

    QCoro::Task<void> pasteText(QString text) override;

private:
    QCoro::Task<void> waitForModifierRelease();
    bool simulateCommandV();
    QCoro::Task<bool> simulateViaAppleScript();
    void restore(const std::optional<Pasteboard::Contents>& saved, const QString& pastedText);

    Pasteboard& pasteboard_;
    KeystrokeSender& keystrokes_;
    ScriptKeystroke& script_;
    AccessibilityTrust& trust_;
    Scheduler& scheduler_;
};
