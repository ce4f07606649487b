#include "services/hotkey/KeyRepeatGesture.h"

KeyRepeatGesture::KeyRepeatGesture(Scheduler& scheduler, std::function<void()> pressed,
                                   std::function<void()> released)
    : scheduler_(scheduler), pressed_(std::move(pressed)), released_(std::move(released)) {}

void KeyRepeatGesture::setRepeat(const Repeat& repeat) {
    repeat_ = repeat;
    if (!down_)
        return;
    if (!repeat_.enabled) {
        reset();
        released_();
        return;
    }
    if (!secondPress_)
        waitFor(repeating_ ? repeatTimeout() : firstRepeatWait());
}

void KeyRepeatGesture::trigger() {
    const Duration now = scheduler_.now();
    if (!repeat_.enabled) {
        pressed_();
        released_();
        return;
    }
    if (stale_) {
        waitForStaleRepeats();
        return;
    }
    if (lateCheck_) {
        // Another right behind it: repeats of keys that never went up. Their release has been
        // told already; they press nothing until they stop.
        lateCheck_ = false;
        stale_ = true;
        waitForStaleRepeats();
        return;
    }
    if (!down_) {
        if (silentReleaseAt_ && now - *silentReleaseAt_ < repeat_.delay) {
            // Soon after a release told by silence: a repeat held back past the wait looks the
            // same as a new press until the next trigger, or none, follows.
            lateCheck_ = true;
            silence_ = scheduler_.scheduleOnce(repeatTimeout(), [this, now] {
                silence_.release();
                lateCheck_ = false;
                press(now);
            });
            return;
        }
        press(now);
        return;
    }
    if (secondPress_) {
        // Another trigger at the repeat rate: the early one was the first repeat of keys held,
        // come early beside a press that came late.
        secondPress_ = false;
        repeating_ = true;
        waitFor(repeatTimeout());
        return;
    }
    if (!repeating_ && now - pressedAt_ < repeat_.delay - slack()) {
        // Too early for the first repeat: the keys went up and down again (a double press),
        // unless repeats follow at once. Each trigger is a process of its own, and one that
        // starts slowly makes the gap to the next look short.
        secondPress_ = true;
        const Duration secondAt = now;
        silence_ = scheduler_.scheduleOnce(repeatTimeout(), [this, secondAt] {
            silence_.release();
            reset();
            released_();
            press(secondAt);
        });
        return;
    }
    repeating_ = true;
    waitFor(repeatTimeout());
}

void KeyRepeatGesture::press(Duration at) {
    down_ = true;
    repeating_ = false;
    pressedAt_ = at;
    waitFor(firstRepeatWait());
    pressed_();
}

void KeyRepeatGesture::waitFor(Duration silence) {
    Duration due = (repeating_ ? scheduler_.now() : pressedAt_) + silence;
    // A repeat makes it a hold: its release may not come before a hold threshold of
    // holdRecognisedAfter() has passed, or the shortest holds would pass for taps.
    if (repeating_)
        due = std::max(due, pressedAt_ + holdRecognisedAfter() + kMargin);
    const Duration left = std::max(Duration(0), due - scheduler_.now());
    silence_ = scheduler_.scheduleOnce(left, [this] {
        silence_.release();
        reset();
        silentReleaseAt_ = scheduler_.now();
        released_();
    });
}

void KeyRepeatGesture::waitForStaleRepeats() {
    silence_ = scheduler_.scheduleOnce(repeatTimeout(), [this] {
        silence_.release();
        stale_ = false;
    });
}

void KeyRepeatGesture::reset() {
    silence_.cancel();
    down_ = false;
    repeating_ = false;
    secondPress_ = false;
    lateCheck_ = false;
    stale_ = false;
    silentReleaseAt_.reset();
}

KeyRepeatGesture::Duration KeyRepeatGesture::holdRecognisedAfter() const {
    if (!repeat_.enabled)
        return Duration(0);
    return firstRepeatWait() + kMargin;
}
