#pragma once

#include "platform/KeystrokeSender.h"
#include "platform/Scheduler.h"

#include <QList>

// Records every paste chord with the time it went out; the test sets the held modifiers.
class FakeKeystrokeSender final : public KeystrokeSender {
public:
    explicit FakeKeystrokeSender(const Scheduler& clock) : clock_(clock) {}

    Modifiers currentModifiers() override;
    bool postPasteChord() override;

    Modifiers heldModifiers = 0;
    bool refuses = false;  // as if the events could not be made
    int modifierReads = 0;
    QList<Scheduler::Duration> chordsPostedAt;

private:
    const Scheduler& clock_;
};
