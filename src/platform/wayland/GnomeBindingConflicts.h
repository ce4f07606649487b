#pragma once

#include <QString>

#include <optional>

// Finds the GNOME binding that already holds an accelerator: the window manager's, the shell's,
// mutter's, the media keys' and the other custom shortcuts. GNOME grabs the first and drops a
// custom shortcut that asks for the same keys, telling no one; so a conflict is found first.
// Schemas that are not installed are skipped.
class GnomeBindingConflicts {
public:
    GnomeBindingConflicts() = delete;

    struct Conflict {
        // The settings schema and key of the binding ("org.gnome.desktop.wm.keybindings",
        // "activate-window-menu"); for a custom shortcut its entry's schema and path.
        QString schema;
        QString key;
        // What GNOME's keyboard settings call it: a custom shortcut's name, or the key.
        QString action;
        // The binding's description from its schema ("Activate the window menu"), for people;
        // a custom shortcut's name.
        QString description;
        bool operator==(const Conflict&) const = default;
    };

    // The binding holding `accelerator` (any spelling GNOME accepts), leaving out the custom
    // shortcut at `ownEntryPath`; none when the keys are free.
    static std::optional<Conflict> find(const QString& accelerator, const QString& ownEntryPath);

    // Whether Quillo may take the keys from that binding when the user asks: GNOME's own
    // bindings, never another program's custom shortcut.
    static bool canFree(const Conflict& conflict);
    // Takes `accelerator` (any spelling) out of the binding, keeping its other accelerators, and
    // waits until dconf has it. False when the binding may not or could not be changed.
    static bool free(const Conflict& conflict, const QString& accelerator);
};
