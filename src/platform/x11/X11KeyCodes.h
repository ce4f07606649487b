#pragma once

#include <QtGlobal>

#include <optional>

// Translates between the portable hotkey numbering (virtual key codes such as Space 49,
// A 0, right Option 61; Carbon masks command 256, shift 512, option 2048, control 4096) and
// the X server's. Key codes go by physical position (evdev numbering, X code = evdev + 8),
// so a stored hotkey means the same key whatever the layout. Command is Super (Mod4),
// Option is Alt (Mod1).
class X11KeyCodes {
public:
    X11KeyCodes() = delete;

    // None for keys a PC keyboard has no X key code for (Fn, 63 and 179).
    static std::optional<quint8> toX(int portableKeyCode);
    static std::optional<int> fromX(quint8 xKeyCode);

    static quint16 toXModifiers(quint32 carbonModifiers);
    static quint32 fromXModifiers(quint16 xState);

    // The key-event flag (command 0x100000, option 0x80000, control 0x40000, shift 0x20000)
    // of a modifier key, 0 for any other key.
    static quint64 modifierFlagForX(quint8 xKeyCode);
};
