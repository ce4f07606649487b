#pragma once

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

    virtual ~KeystrokeSender() = default;

    // The modifier keys held down at this moment.
    virtual Modifiers currentModifiers() = 0;
    // Presses and releases the paste chord. False when the events could not be made or sent.
    virtual bool postPasteChord() = 0;
};
