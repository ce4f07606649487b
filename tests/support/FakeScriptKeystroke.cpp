#include "support/FakeScriptKeystroke.h"

QCoro::Task<ScriptKeystroke::Outcome> FakeScriptKeystroke::pressPasteChord() {
    ++runs;
    co_return outcome;
}
