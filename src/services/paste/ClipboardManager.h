#pragma once

#include "base/Scheduler.h"
#include "platform/KeystrokeSender.h"
#include "platform/Pasteboard.h"
#include "platform/PasteChord.h"
#include "services/paste/TextPaster.h"

#include <coroutine>
#include <deque>
#include <functional>
#include <memory>

class AccessibilityTrust;
class TextTyper;

class ScriptKeystroke;

// Delivers dictated text into the focused application: puts it on the clipboard, presses the
// paste chord (or has a helper program press it), and once the target has fetched the text
// puts back what the clipboard held before. Pastes run one after another: a second one waits
// until the first has restored, so neither restores the other's text. The ports must outlive
// every running paste.
class ClipboardManager final : public TextPaster {
public:
    static constexpr Scheduler::Duration kModifierPollInterval{25};
    static constexpr int kMaxModifierPolls = 24;
    static constexpr Scheduler::Duration kPauseBeforeKeystroke{50};
    // After the chord: the earliest restore, and the latest when nobody fetches the text.
    static constexpr Scheduler::Duration kPauseBeforeRestore{500};
    static constexpr Scheduler::Duration kLatestRestore{2000};
    // A target may fetch further formats right after the text.
    static constexpr Scheduler::Duration kGraceAfterFetch{200};
    // Through a clipboard bridge: the longest wait for the bridge's read of a new text before
    // the chord goes out anyway (mutter reads within 1-12 ms).
    static constexpr Scheduler::Duration kLatestBridgeRead{150};
    // What saving the previous contents may cost per selection, before anything is pasted.
    static constexpr Pasteboard::Budget kSaveBudget{std::chrono::milliseconds(1000),
                                                    32 * 1024 * 1024};
    // Formats given up in one save that get a line of their own; the rest are counted.
    static constexpr qsizetype kGivenUpLinesPerSave = 10;

    ClipboardManager(Pasteboard& pasteboard, KeystrokeSender& keystrokes, ScriptKeystroke& script,
                     AccessibilityTrust& trust, Scheduler& scheduler);

    QCoro::Task<void> pasteText(QString text) override;
    // Where the clipboard cannot be taken without the focus, the text is typed instead: no
    // clipboard is touched. `typer` must outlive every paste.
    void typeInsteadOfPasting(TextTyper& typer) { typer_ = &typer; }
    // GNOME's Wayland windows see the X11 clipboard through mutter, which reads every new owner
    // (its formats, then one of them) and until then pastes the previous contents there. The
    // chord then waits for the bridge's read of the text, with a time-out, instead of a fixed
    // pause; that read is not the target's fetch, and the restore follows the target's fetch
    // (or the time-out) without a floor.
    void pasteThroughClipboardBridge() { bridged_ = true; }
    // Called with the characters of a typed text that could not be typed (the text itself is in
    // the history).
    void onUntypeableCharacters(std::function<void(const QString&)> notice) {
        untypeableNotice_ = std::move(notice);
    }
    // Called once in a paste whose previous clipboard could not be saved whole, so that the user
    // learns what the log says: the old copy will not come back complete.
    void onPreviousClipboardIncomplete(std::function<void()> notice) {
        incompleteNotice_ = std::move(notice);
    }

private:
    struct FetchWatch;
    class Turn;
    class TurnAwaiter;
    class FetchAwaiter;

    QCoro::Task<void> paste(QString text);
    QCoro::Task<void> type(QString text);
    QCoro::Task<Pasteboard::Saved> save(Pasteboard::Selection selection);
    QCoro::Task<void> waitForModifierRelease();
    KeystrokeSender::Result simulateCommandV(PasteChord chord);
    QCoro::Task<bool> simulateViaAppleScript(PasteChord chord);
    QCoro::Task<void> waitForBridgeRead(std::shared_ptr<FetchWatch> watch);
    QCoro::Task<void> waitUntilFetched(std::shared_ptr<FetchWatch> watch);
    void restore(Pasteboard::Selection selection, const std::optional<Pasteboard::Contents>& saved);
    void passTurn();

    Pasteboard& pasteboard_;
    KeystrokeSender& keystrokes_;
    ScriptKeystroke& script_;
    AccessibilityTrust& trust_;
    Scheduler& scheduler_;
    TextTyper* typer_ = nullptr;
    std::function<void()> incompleteNotice_;
    std::function<void(const QString&)> untypeableNotice_;
    bool bridged_ = false;
    bool pasting_ = false;
    std::deque<std::coroutine_handle<>> waitingPastes_;
};
