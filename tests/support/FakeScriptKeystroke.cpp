#include "support/FakeScriptKeystroke.h"

QCoro::Task<ScriptKeystroke::Outcome> FakeScriptKeystroke::pressPasteChord(PasteChord chord) {
    ++runs;
    chords.append(chord);
    if (outcome.exitStatus == 0 && onRun) {
        onRun();
    }
    co_return outcome;
}
