#include "services/ClipboardManager.h"

#include "platform/AccessibilityTrust.h"
#include "platform/KeystrokeSender.h"
#include "platform/Log.h"
#include "platform/ScriptKeystroke.h"

namespace {

// Held modifiers would turn the chord into another shortcut in the target. Fn and Caps Lock
// change nothing there, and Fn may be the dictation hotkey itself.
constexpr KeystrokeSender::Modifiers kModifiersWaitedFor =
    KeystrokeSender::Option | KeystrokeSender::Command | KeystrokeSender::Shift |
    KeystrokeSender::Control;

QString trueOrFalse(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

}  // namespace

ClipboardManager::ClipboardManager(Pasteboard& pasteboard, KeystrokeSender& keystrokes,
                                   ScriptKeystroke& script, AccessibilityTrust& trust,
                                   Scheduler& scheduler)
    : pasteboard_(pasteboard),
      keystrokes_(keystrokes),
      script_(script),
      trust_(trust),
      scheduler_(scheduler) {}

QCoro::Task<void> ClipboardManager::pasteText(QString text) {
    const std::optional<Pasteboard::Contents> saved = pasteboard_.contents();
    pasteboard_.clear();
    pasteboard_.writeText(text);

    co_await waitForModifierRelease();
    co_await scheduler_.sleep(kPauseBeforeKeystroke);

    bool pasted = simulateCommandV();
    if (!pasted) {
        pasted = co_await simulateViaAppleScript();
    }
    Log::line(pasted ? QStringLiteral("[ClipboardManager] Text pasted successfully")
                     : QStringLiteral("[ClipboardManager] Auto-paste failed -- text is on "
                                      "clipboard, press ⌘V"));

    // The target fetches the pasted text from us after the key event; restoring earlier would
    // paste the old contents instead.
    co_await scheduler_.sleep(kPauseBeforeRestore);
    if (pasted) {
        restore(saved, text);
    }
}

QCoro::Task<void> ClipboardManager::waitForModifierRelease() {
    for (int poll = 0; poll < kMaxModifierPolls; ++poll) {
        if ((keystrokes_.currentModifiers() & kModifiersWaitedFor) == 0) {
            co_return;
        }
        co_await scheduler_.sleep(kModifierPollInterval);
    }
    Log::line(QStringLiteral("[ClipboardManager] Warning: modifier keys still held after timeout"));
}

bool ClipboardManager::simulateCommandV() {
    if (!keystrokes_.postPasteChord()) {
        Log::line(QStringLiteral("[ClipboardManager] CGEvent creation failed"));
        return false;
    }
    Log::line(QStringLiteral("[ClipboardManager] CGEvent ⌘V posted (Accessibility: %1)")
                  .arg(trueOrFalse(trust_.isTrusted())));
    return trust_.isTrusted();
}

QCoro::Task<bool> ClipboardManager::simulateViaAppleScript() {
    Log::line(QStringLiteral("[ClipboardManager] Trying AppleScript fallback..."));
    const ScriptKeystroke::Outcome outcome = co_await script_.pressPasteChord();
    if (!outcome.launched) {
        Log::line(QStringLiteral("[ClipboardManager] AppleScript error: ") + outcome.launchError);
        co_return false;
    }
    const bool succeeded = outcome.exitStatus == 0;
    Log::line(QStringLiteral("[ClipboardManager] AppleScript result: ") +
              (succeeded ? QStringLiteral("success") : QStringLiteral("failed")));
    co_return succeeded;
}

void ClipboardManager::restore(const std::optional<Pasteboard::Contents>& saved,
                               const QString& pastedText) {
    if (!saved || saved->isEmpty()) {
        return;
    }
    // Something copied while we waited is newer than what we saved: keep it.
    if (pasteboard_.text() != pastedText) {
        Log::line(QStringLiteral(
            "[ClipboardManager] Clipboard changed during paste -- previous contents not restored"));
        return;
    }
    pasteboard_.clear();
    pasteboard_.writeContents(*saved);
}
