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
        bool operator==(const Conflict&) const = default;
    };

    // The binding holding `accelerator` (any spelling GNOME accepts), leaving out the custom
    // shortcut at `ownEntryPath`; none when the keys are free.
    static std::optional<Conflict> find(const QString& accelerator, const QString& ownEntryPath);
};
