#pragma once

#include "platform/KeystrokeSender.h"

#include <QByteArray>

#include <memory>

class WaylandConnection;

// The paste chord through a virtual keyboard (zwp_virtual_keyboard_v1, offered by wlroots
// compositors). The keyboard is created once with the seat's current keymap and kept: a new
// keyboard makes clients load its keymap first, and the first key would be lost. When the seat
// tells no keymap (no keyboard yet), a default one that contains Control and V is built.
class VirtualKeyboardKeystrokeSender final : public KeystrokeSender {
public:
    explicit VirtualKeyboardKeystrokeSender(WaylandConnection& connection);
    ~VirtualKeyboardKeystrokeSender() override;

    // The compositor offers virtual keyboards and the keymap has Control and V.
    bool isAvailable() const;

    // The modifiers this keyboard holds: on wlroots a client sees the modifier state of the
    // keyboard that sent the key, so the user's held keys do not mix into our chord.
    Modifiers currentModifiers() override;
    // Wayland tells no client which window has the focus, nor its class: Control+V.
    PasteChord chordForFocusedWindow() override;
    Result postPasteChord(PasteChord chord) override;

    // The keymap uploaded to the compositor, as xkbcommon text.
    QByteArray keymapText() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
