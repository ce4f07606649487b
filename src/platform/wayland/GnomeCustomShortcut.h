#pragma once

#include <QString>

// Quillo's own entry among GNOME's custom keyboard shortcuts: a relocatable settings object at a
// path of its own, listed in the media-keys plugin's "custom-keybindings". GNOME's settings
// daemon runs its command when the binding is pressed. Every other entry is left as it is.
class GnomeCustomShortcut {
public:
    GnomeCustomShortcut() = delete;

    static constexpr char listSchema[] = "org.gnome.settings-daemon.plugins.media-keys";
    static constexpr char entrySchema[] =
        "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
    static constexpr char listKey[] = "custom-keybindings";
    static constexpr char entryName[] = "Quillo";

    static QString entryPath();
    // Whether this machine has GNOME's custom shortcuts (the settings daemon's schemas).
    static bool isAvailable();
    // The command that hands the press to the running instance: `arguments` (the program
    // first), each quoted for the shell-like parsing GNOME does ("/opt/my apps/x" stays one
    // word).
    static QString pressCommand(const QStringList& arguments);

    // Writes the entry (name, binding, command) and lists it; false when the schemas are
    // missing or the settings refuse the values.
    static bool write(const QString& accelerator, const QString& command);
    // Unlists the entry and resets its keys; nothing when it is not there.
    static void remove();
    // The binding written now; empty when there is no entry.
    static QString writtenBinding();
};
