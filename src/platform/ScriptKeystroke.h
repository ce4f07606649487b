#pragma once

#include "platform/PasteChord.h"

#include <QString>

#include <qcoro/qcorotask.h>

// The fallback: an outside program presses the paste chord for us.
class ScriptKeystroke {
public:
    struct Outcome {
        bool launched = false;
        QString launchError;  // why it could not be launched
        int exitStatus = -1;  // when launched; anything but 0 is a failure
    };

    virtual ~ScriptKeystroke() = default;

    // Presses `chord`, with the user's held modifiers lifted for the moment. Returns once the
    // program has ended (or could not be started).
    virtual QCoro::Task<Outcome> pressPasteChord(PasteChord chord) = 0;
};
