#pragma once

#include "platform/ScriptKeystroke.h"

#include <QList>

#include <functional>

// Answers at once with the outcome the test chose, and records the chords asked for.
class FakeScriptKeystroke final : public ScriptKeystroke {
public:
    QCoro::Task<Outcome> pressPasteChord(PasteChord chord) override;

    Outcome outcome{true, {}, 0};
    std::function<void()> onRun;  // what the target does when the chord arrives
    int runs = 0;
    QList<PasteChord> chords;
};
