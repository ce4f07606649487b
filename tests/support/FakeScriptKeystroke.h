#pragma once

#include "platform/ScriptKeystroke.h"

// Answers at once with the outcome the test chose, and counts the runs.
class FakeScriptKeystroke final : public ScriptKeystroke {
public:
    QCoro::Task<Outcome> pressPasteChord() override;

    Outcome outcome{true, {}, 0};
    int runs = 0;
};
