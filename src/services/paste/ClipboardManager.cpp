#include "services/paste/ClipboardManager.h"

#include "base/Log.h"
#include "platform/AccessibilityTrust.h"
#include "platform/KeystrokeSender.h"
#include "platform/ScriptKeystroke.h"
#include "platform/TextTyper.h"

#include <algorithm>
#include <utility>

using Selection = Pasteboard::Selection;

namespace {

// Held modifiers would turn the chord into another shortcut in the target. Fn and Caps Lock
// change nothing there, and Fn may be the dictation hotkey itself.
constexpr KeystrokeSender::Modifiers kModifiersWaitedFor =
    KeystrokeSender::Option | KeystrokeSender::Command | KeystrokeSender::Shift |
    KeystrokeSender::Control;

QString trueOrFalse(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString selectionName(Selection selection) {
    return selection == Selection::Clipboard ? QStringLiteral("clipboard")
                                             : QStringLiteral("primary selection");
}

void logGivenUp(Selection selection, const Pasteboard::GivenUp& givenUp) {
    if (givenUp.format.isEmpty()) {
        Log::line(QStringLiteral("[ClipboardManager] Owner of the %1 did not answer in time -- "
                                 "previous contents not saved")
                      .arg(selectionName(selection)));
        return;
    }
    const QString why = givenUp.reason == Pasteboard::GivenUp::Reason::TooLarge
                            ? QStringLiteral("over the size budget")
                            : QStringLiteral("its owner did not answer in time");
    Log::line(QStringLiteral("[ClipboardManager] Not saving %1 format %2: %3")
                  .arg(selectionName(selection), givenUp.format, why));
}

}  // namespace

// When the target fetched the text. Fetches before the chord come from clipboard managers, or
// from a clipboard bridge, reading every new selection: not from the target. Through a bridge,
// the first of them is the bridge's read; one that comes only after the chord is still the
// bridge's, not the target's.
struct ClipboardManager::FetchWatch {
    FetchWatch(Scheduler& scheduler, bool bridged) : scheduler(scheduler), bridged(bridged) {}

    using Event = std::optional<Scheduler::Duration> FetchWatch::*;

    void onFetched() {
        Event happened = nullptr;
        if (bridged && !bridgeReadAt) {
            happened = &FetchWatch::bridgeReadAt;
        } else if (chordAt && !fetchedAt) {
            happened = &FetchWatch::fetchedAt;
        } else {
            return;
        }
        this->*happened = scheduler.now();
        // Called while the selection request is being served: resume from the event loop.
        if (happened == awaited) {
            wake(Scheduler::Duration(0));
        }
    }
    void wake(Scheduler::Duration delay) {
        if (!waiter) {
            return;
        }
        std::coroutine_handle<> handle = std::exchange(waiter, {});
        alarm = scheduler.scheduleOnce(delay, [handle] { handle.resume(); });
    }

    Scheduler& scheduler;
    const bool bridged;
    std::optional<Scheduler::Duration> bridgeReadAt;
    std::optional<Scheduler::Duration> chordAt;
    std::optional<Scheduler::Duration> fetchedAt;
    std::coroutine_handle<> waiter;
    Event awaited = nullptr;  // what the waiter waits for
    TimerHandle alarm;
};

// Resumes once `event` has happened, or when `limit` has passed.
class ClipboardManager::FetchAwaiter {
public:
    using Event = FetchWatch::Event;
    FetchAwaiter(FetchWatch& watch, Event event, Scheduler::Duration limit)
        : watch_(watch), event_(event), limit_(limit) {}
    bool await_ready() const noexcept { return (watch_.*event_).has_value(); }
    void await_suspend(std::coroutine_handle<> handle) {
        watch_.waiter = handle;
        watch_.awaited = event_;
        FetchWatch* watch = &watch_;
        watch_.alarm = watch_.scheduler.scheduleOnce(limit_, [watch] {
            if (std::coroutine_handle<> waiting = std::exchange(watch->waiter, {})) {
                waiting.resume();
            }
        });
    }
    void await_resume() noexcept {}

private:
    FetchWatch& watch_;
    Event event_;
    Scheduler::Duration limit_;
};

// Suspends a paste until no other one runs.
class ClipboardManager::TurnAwaiter {
public:
    explicit TurnAwaiter(ClipboardManager& manager) : manager_(manager) {}
    bool await_ready() noexcept { return !std::exchange(manager_.pasting_, true); }
    void await_suspend(std::coroutine_handle<> handle) {
        manager_.waitingPastes_.push_back(handle);
    }
    void await_resume() noexcept {}

private:
    ClipboardManager& manager_;
};

// Hands the turn on when a paste ends, however it ends.
class ClipboardManager::Turn {
public:
    explicit Turn(ClipboardManager& manager) : manager_(manager) {}
    ~Turn() { manager_.passTurn(); }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

private:
    ClipboardManager& manager_;
};

ClipboardManager::ClipboardManager(Pasteboard& pasteboard, KeystrokeSender& keystrokes,
                                   ScriptKeystroke& script, AccessibilityTrust& trust,
                                   Scheduler& scheduler)
    : pasteboard_(pasteboard),
      keystrokes_(keystrokes),
      script_(script),
      trust_(trust),
      scheduler_(scheduler) {}

QCoro::Task<void> ClipboardManager::pasteText(QString text) {
    co_await TurnAwaiter(*this);
    const Turn turn(*this);
    if (typer_) {
        co_await type(std::move(text));
    } else {
        co_await paste(std::move(text));
    }
}

QCoro::Task<void> ClipboardManager::type(QString text) {
    // Keys typed while the hotkey's modifiers are held would become shortcuts.
    co_await waitForModifierRelease();
    co_await scheduler_.sleep(kPauseBeforeKeystroke);
    const TextTyper::Typed typed = typer_->typeText(text);
    Log::line(typed.sent ? QStringLiteral("[ClipboardManager] Text typed successfully")
                         : QStringLiteral("[ClipboardManager] Typing broke off -- the desktop "
                                          "refused a key; the text is in the history"));
    if (!typed.untypeable.isEmpty()) {
        Log::line(QStringLiteral("[ClipboardManager] Characters the keyboard layout cannot type "
                                 "were left out: %1 -- the text is in the history")
                      .arg(typed.untypeable));
        if (untypeableNotice_) {
            untypeableNotice_(typed.untypeable);
        }
    }
}

void ClipboardManager::passTurn() {
    if (waitingPastes_.empty()) {
        pasting_ = false;
        return;
    }
    std::coroutine_handle<> next = waitingPastes_.front();
    waitingPastes_.pop_front();
    // Not from inside the ending paste's frame, which is about to be destroyed.
    scheduler_.scheduleOnce(Scheduler::Duration(0), [next] { next.resume(); }).release();
}

QCoro::Task<void> ClipboardManager::paste(QString text) {
    // Decided before anything changes: the focus is still where the user dictated into.
    const PasteChord chord = keystrokes_.chordForFocusedWindow();
    const bool viaPrimary = chord == PasteChord::ShiftInsert;

    const Pasteboard::Saved clipboardSave = co_await save(Selection::Clipboard);
    const std::optional<Pasteboard::Contents>& saved = clipboardSave.contents;
    Pasteboard::Saved primarySave;
    if (viaPrimary) {
        primarySave = co_await save(Selection::Primary);
    }
    const std::optional<Pasteboard::Contents>& savedPrimary = primarySave.contents;
    const bool incomplete = !clipboardSave.givenUp.isEmpty() || !primarySave.givenUp.isEmpty();
    if (incomplete && incompleteNotice_) {
        incompleteNotice_();
    }

    auto watch = std::make_shared<FetchWatch>(scheduler_, bridged_);
    const auto fetched = [watch] { watch->onFetched(); };
    bool offered = pasteboard_.offerText(Selection::Clipboard, text, fetched);
    if (viaPrimary) {
        offered = pasteboard_.offerText(Selection::Primary, text, fetched) && offered;
    }
    if (!offered) {
        Log::line(
            QStringLiteral("[ClipboardManager] Could not take the clipboard -- nothing "
                           "pasted"));
        co_return;
    }

    co_await waitForModifierRelease();
    if (bridged_) {
        co_await waitForBridgeRead(watch);
    } else {
        co_await scheduler_.sleep(kPauseBeforeKeystroke);
    }

    watch->chordAt = scheduler_.now();
    const KeystrokeSender::Result sent = simulateCommandV(chord);
    bool pasted = sent == KeystrokeSender::Result::Sent && trust_.isTrusted();
    if (sent != KeystrokeSender::Result::PartlySent && !pasted) {
        pasted = co_await simulateViaAppleScript(chord);
    }
    Log::line(pasted ? QStringLiteral("[ClipboardManager] Text pasted successfully")
                     : QStringLiteral("[ClipboardManager] Auto-paste failed -- text is on "
                                      "clipboard, press ⌘V"));
    if (!pasted) {
        co_await scheduler_.sleep(kPauseBeforeRestore);
        co_return;
    }
    // The target fetches the text from us after the key event; restoring before that would
    // paste the old contents instead.
    co_await waitUntilFetched(watch);
    restore(Selection::Clipboard, saved);
    if (viaPrimary) {
        restore(Selection::Primary, savedPrimary);
    }
}

QCoro::Task<Pasteboard::Saved> ClipboardManager::save(Selection selection) {
    Pasteboard::Saved saved = co_await pasteboard_.save(selection, kSaveBudget);
    // An owner offering thousands of formats would flood the log: the first few name the kind.
    const qsizetype named = std::min<qsizetype>(saved.givenUp.size(), kGivenUpLinesPerSave);
    for (qsizetype i = 0; i < named; ++i) {
        logGivenUp(selection, saved.givenUp[i]);
    }
    if (saved.givenUp.size() > named) {
        Log::line(QStringLiteral("[ClipboardManager] Not saving %1 more %2 formats")
                      .arg(saved.givenUp.size() - named)
                      .arg(selectionName(selection)));
    }
    co_return saved;
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

KeystrokeSender::Result ClipboardManager::simulateCommandV(PasteChord chord) {
    const KeystrokeSender::Result result = keystrokes_.postPasteChord(chord);
    switch (result) {
        case KeystrokeSender::Result::NotSent:
            Log::line(QStringLiteral("[ClipboardManager] CGEvent creation failed"));
            break;
        case KeystrokeSender::Result::PartlySent:
            Log::line(
                QStringLiteral("[ClipboardManager] Paste chord broke off -- keys released, "
                               "not retried"));
            break;
        case KeystrokeSender::Result::Sent:
            Log::line(QStringLiteral("[ClipboardManager] CGEvent ⌘V posted (Accessibility: %1)")
                          .arg(trueOrFalse(trust_.isTrusted())));
            break;
    }
    return result;
}

QCoro::Task<bool> ClipboardManager::simulateViaAppleScript(PasteChord chord) {
    Log::line(QStringLiteral("[ClipboardManager] Trying AppleScript fallback..."));
    const ScriptKeystroke::Outcome outcome = co_await script_.pressPasteChord(chord);
    if (!outcome.launched) {
        Log::line(QStringLiteral("[ClipboardManager] AppleScript error: ") + outcome.launchError);
        co_return false;
    }
    const bool succeeded = outcome.exitStatus == 0;
    Log::line(QStringLiteral("[ClipboardManager] AppleScript result: ") +
              (succeeded ? QStringLiteral("success") : QStringLiteral("failed")));
    co_return succeeded;
}

QCoro::Task<void> ClipboardManager::waitForBridgeRead(std::shared_ptr<FetchWatch> watch) {
    if (!watch->bridgeReadAt) {
        co_await FetchAwaiter(*watch, &FetchWatch::bridgeReadAt, kLatestBridgeRead);
        watch->alarm.cancel();
    }
    if (!watch->bridgeReadAt) {
        Log::line(QStringLiteral("[ClipboardManager] The clipboard bridge did not read the text "
                                 "within %1 ms -- pressing the paste chord anyway")
                      .arg(kLatestBridgeRead.count()));
    }
}

QCoro::Task<void> ClipboardManager::waitUntilFetched(std::shared_ptr<FetchWatch> watch) {
    // Through the bridge the target's fetch is told reliably: no floor before it.
    if (!bridged_) {
        co_await scheduler_.sleep(kPauseBeforeRestore);
    }
    const Scheduler::Duration latest = *watch->chordAt + kLatestRestore;
    if (!watch->fetchedAt && scheduler_.now() < latest) {
        co_await FetchAwaiter(*watch, &FetchWatch::fetchedAt, latest - scheduler_.now());
    }
    if (watch->fetchedAt) {
        const Scheduler::Duration due = *watch->fetchedAt + kGraceAfterFetch;
        if (due > scheduler_.now()) {
            co_await scheduler_.sleep(due - scheduler_.now());
        }
    } else {
        // Said, so that a paste that never arrived can be told from one the target dropped.
        Log::line(QStringLiteral("[ClipboardManager] The target did not fetch the text within "
                                 "%1 ms -- restoring the clipboard")
                      .arg(kLatestRestore.count()));
    }
    watch->alarm.cancel();
}

void ClipboardManager::restore(Selection selection,
                               const std::optional<Pasteboard::Contents>& saved) {
    if (!saved || saved->isEmpty()) {
        return;
    }
    // Something copied while we waited is newer than what we saved: keep it.
    if (!pasteboard_.stillOffers(selection)) {
        if (selection == Selection::Clipboard) {
            Log::line(
                QStringLiteral("[ClipboardManager] Clipboard changed during paste -- "
                               "previous contents not restored"));
        }
        return;
    }
    pasteboard_.restore(selection, *saved);
}
