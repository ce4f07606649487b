#pragma once

#include <QtGlobal>

#include <optional>

// The portable hotkey numbering every stored hotkey uses: virtual key codes (Space 49, A 0,
// Escape 53, left Option 58, right Option 61, Fn 63, ...) and the modifier masks command 256,
// shift 512, option 2048, control 4096. Key codes go by physical position, so a stored hotkey
// means the same key whatever the layout; the platform layers translate from here.
class KeyCodes {
public:
    KeyCodes() = delete;

    static constexpr quint32 commandMask = 256;
    static constexpr quint32 shiftMask = 512;
    static constexpr quint32 optionMask = 2048;
    static constexpr quint32 controlMask = 4096;

    // Key-event flags of the modifier keys.
    static constexpr quint64 commandFlag = 0x100000;
    static constexpr quint64 optionFlag = 0x80000;
    static constexpr quint64 controlFlag = 0x40000;
    static constexpr quint64 shiftFlag = 0x20000;
    static constexpr quint64 fnFlag = 0x800000;

    // The flag of a lone modifier key (Command, Shift, Option, Control, Fn, either side),
    // 0 for any other key.
    static quint64 modifierFlag(int keyCode);
    static bool isModifierOnlyKey(int keyCode) { return modifierFlag(keyCode) != 0; }

    // The Linux evdev code of the key in the same place; none for keys a PC keyboard lacks
    // (Fn, 63 and 179).
    static std::optional<int> toEvdev(int keyCode);
    static std::optional<int> fromEvdev(int evdevCode);
    // xkbcommon's key codes, shared by X11 and Wayland: evdev + 8.
    static std::optional<quint32> toXkb(int keyCode);
    static std::optional<int> fromXkb(quint32 xkbKeyCode);
};
