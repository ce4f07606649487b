#pragma once

#include "platform/PasteChord.h"

#include <QtGlobal>

// Posts the synthetic paste chord to whatever window has the keyboard focus.
class KeystrokeSender {
public:
    // The portable modifier mask of stored hotkeys, plus Caps Lock and Fn.
    enum Modifier : quint32 {
        Command = 256,
        Shift = 512,
        CapsLock = 1024,
        Option = 2048,
        Control = 4096,
        Fn = 1u << 23,
    };
    using Modifiers = quint32;

    enum class Result {
        Sent,
        // Nothing of the chord reached the target: another way may be tried.
        NotSent,
        // Sending broke off after part of the chord went out. The keys pressed have been
        // released again; trying another way could paste twice.
        PartlySent,
    };

    virtual ~KeystrokeSender() = default;

    // The modifier keys held down at this moment.
    virtual Modifiers currentModifiers() = 0;
    // The chord the focused window pastes with.
    virtual PasteChord chordForFocusedWindow() = 0;
    // Presses and releases exactly `chord`: modifiers the user still holds are lifted for the
    // moment and pressed again afterwards. Everything that can be checked is checked before
    // the first event goes out.
    virtual Result postPasteChord(PasteChord chord) = 0;
};
