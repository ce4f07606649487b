#pragma once

#include <QString>

// GNOME's accelerator spelling, as its keybinding settings hold it: modifiers in angle brackets,
// then the key's keysym name ("<Alt>space", "<Control><Shift>d").
class GnomeAccelerator {
public:
    GnomeAccelerator() = delete;

    // A stored hotkey (portable key code, Carbon modifier mask) in that spelling; empty for a
    // lone modifier, Fn or a key without a keysym name, which no GNOME binding can hold.
    static QString fromHotkey(quint32 keyCode, quint32 carbonModifiers);
    // One form for every way GNOME accepts to write the same keys ("<Primary>" and "<Ctrl>" for
    // "<Control>", "<Mod1>" for "<Alt>", any case and order), so two spellings compare equal
    // when GNOME reads them as the same keys; empty for "", "disabled" and the like.
    static QString normalised(const QString& accelerator);
};
