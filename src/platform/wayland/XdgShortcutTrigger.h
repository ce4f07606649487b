#pragma once

#include <QString>

#include <optional>

// Spells a stored hotkey (portable key code, Carbon modifier mask) as a trigger of the XDG
// shortcuts format that desktop portals take as a preferred trigger: modifiers CTRL, ALT,
// SHIFT and LOGO joined by "+", then the key's keysym name in the US layout ("ALT+space",
// "CTRL+SHIFT+d"). Keys go by position, as stored hotkeys do.
class XdgShortcutTrigger {
public:
    XdgShortcutTrigger() = delete;

    // None for a lone modifier key, Fn, or a key with no keysym name here: no portal can
    // bind those.
    static std::optional<QString> fromHotkey(quint32 keyCode, quint32 carbonModifiers);
    // The keysym name of the key alone ("space", "F5", "KP_Enter"); empty when none.
    static QString keyName(quint32 keyCode);
};
