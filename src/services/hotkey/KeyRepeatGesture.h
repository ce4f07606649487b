#pragma once

#include "base/Scheduler.h"
#include "base/TimerHandle.h"

#include <functional>
#include <optional>

// Turns a trigger that fires on the press and again on every key repeat while the keys are held,
// never on the release (a GNOME custom keyboard shortcut), into a press and a release. The first
// trigger is the press, at once. Triggers that keep coming at the repeat rate mean the keys are
// held, and the release is when they stop: no trigger within the repeat delay after the press
// (plus one interval and a wider margin: the press's process may have started faster than the
// first repeat's, most of all on a cold or loaded machine) or within one and a half intervals and
// a margin after a repeat; the slack is for the jitter of the process that carries each trigger. A
// press without repeats was a tap. A trigger that comes clearly before the first repeat could, with
// no other right behind it, is a second press: the first was a tap. Triggers right behind each
// other are repeats, never presses: no hand presses twice within a repeat interval. With key repeat
// off, every trigger is a tap, so only the double press (hands-free) can record. A busy machine can
// hold a repeat back past the wait: the release is told then, and a trigger soon after it is a
// press only when no other follows right behind it; repeats that do follow are the same keys
// still held, and press nothing (a late first repeat would otherwise pass for a double press).
class KeyRepeatGesture {
public:
    using Duration = Scheduler::Duration;
    static constexpr Duration kMargin{20};
    // How much later than the repeat delay and one interval the first repeat may come.
    static constexpr Duration kFirstRepeatMargin{150};

    struct Repeat {
        bool enabled = true;
        Duration delay{500};
        Duration interval{30};
        bool operator==(const Repeat&) const = default;
    };

    KeyRepeatGesture(Scheduler& scheduler, std::function<void()> pressed,
                     std::function<void()> released);

    // Takes effect at once, also for keys held now; with repeat turned off, held keys are
    // released (no repeat will come to tell otherwise).
    void setRepeat(const Repeat& repeat);
    const Repeat& repeat() const { return repeat_; }

    // One run of the trigger.
    void trigger();
    // Forgets held keys without a release (the trigger went away).
    void reset();

    bool isDown() const { return down_; }
    // How long after a press a tap is told from a hold: a hold threshold shorter than this
    // would take every tap for a hold. The release of a hold comes after it. Zero with key repeat
    // off, where the release follows at once.
    Duration holdRecognisedAfter() const;

private:
    Duration slack() const { return repeat_.interval + kMargin; }
    Duration firstRepeatWait() const {
        return repeat_.delay + repeat_.interval + kFirstRepeatMargin;
    }
    Duration repeatTimeout() const { return repeat_.interval * 3 / 2 + kMargin; }
    void press(Duration at);
    void waitFor(Duration silence);
    void waitForStaleRepeats();

    Scheduler& scheduler_;
    std::function<void()> pressed_;
    std::function<void()> released_;
    Repeat repeat_;
    bool down_ = false;
    bool repeating_ = false;
    // An early trigger waits for another right behind it to tell a repeat from a second press.
    bool secondPress_ = false;
    // A trigger soon after a release told by silence waits to tell a late repeat from a press.
    bool lateCheck_ = false;
    // Repeats of keys whose release was told already.
    bool stale_ = false;
    std::optional<Duration> silentReleaseAt_;
    Duration pressedAt_{0};
    TimerHandle silence_;
};
