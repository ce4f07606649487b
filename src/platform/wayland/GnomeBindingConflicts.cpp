#include "platform/wayland/GnomeBindingConflicts.h"

#include "platform/wayland/GnomeAccelerator.h"
#include "platform/wayland/GnomeCustomShortcut.h"
#include "platform/wayland/GnomeSettings.h"

namespace {

// Where GNOME keeps the bindings that gnome-shell and mutter grab.
constexpr const char* bindingSchemas[] = {
    "org.gnome.desktop.wm.keybindings", "org.gnome.shell.keybindings",
    "org.gnome.mutter.keybindings",     "org.gnome.mutter.wayland.keybindings",
    GnomeCustomShortcut::listSchema,
};

bool holds(const QStringList& accelerators, const QString& wanted) {
    for (const QString& accelerator : accelerators) {
        if (GnomeAccelerator::normalised(accelerator) == wanted)
            return true;
    }
    return false;
}

}  // namespace

std::optional<GnomeBindingConflicts::Conflict> GnomeBindingConflicts::find(
    const QString& accelerator, const QString& ownEntryPath) {
    const QString wanted = GnomeAccelerator::normalised(accelerator);
    if (wanted.isEmpty())
        return std::nullopt;
    for (const char* schemaId : bindingSchemas) {
        const GnomeSettings settings{QLatin1String(schemaId)};
        for (const QString& key : settings.keys()) {
            // The list of custom entries holds paths, never keys.
            if (key == QLatin1String(GnomeCustomShortcut::listKey))
                continue;
            if (holds(settings.strings(key), wanted))
                return Conflict{QLatin1String(schemaId), key, key};
        }
    }
    const GnomeSettings list{QLatin1String(GnomeCustomShortcut::listSchema)};
    for (const QString& path : list.strings(QLatin1String(GnomeCustomShortcut::listKey))) {
        if (path == ownEntryPath)
            continue;
        const GnomeSettings entry{QLatin1String(GnomeCustomShortcut::entrySchema), path};
        if (holds(entry.strings(QStringLiteral("binding")), wanted))
            return Conflict{QLatin1String(GnomeCustomShortcut::entrySchema), path,
                            entry.string(QStringLiteral("name"))};
    }
    return std::nullopt;
}
