#pragma once

#include "base/Scheduler.h"
#include "platform/KeystrokeSender.h"

#include <QList>

#include <functional>

// Records every paste chord with the time it went out; the test sets the held modifiers, the
// focused window's chord and what sending returns.
class FakeKeystrokeSender final : public KeystrokeSender {
public:
    explicit FakeKeystrokeSender(const Scheduler& clock) : clock_(clock) {}

    Modifiers currentModifiers() override;
    PasteChord chordForFocusedWindow() override { return focusedChord; }
    Result postPasteChord(PasteChord chord) override;

    Modifiers heldModifiers = 0;
    PasteChord focusedChord = PasteChord::ControlV;
    bool refuses = false;           // as if the events could not be made
    bool breaksOff = false;         // as if sending failed half-way
    std::function<void()> onChord;  // what the target does when the chord arrives
    int modifierReads = 0;
    QList<Scheduler::Duration> chordsPostedAt;
    QList<PasteChord> chords;

private:
    const Scheduler& clock_;
};
