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
            if (holds(settings.strings(key), wanted)) {
                const QString summary = settings.summary(key);
                return Conflict{QLatin1String(schemaId), key, key,
                                summary.isEmpty() ? key : summary};
            }
        }
    }
    const GnomeSettings list{QLatin1String(GnomeCustomShortcut::listSchema)};
    for (const QString& path : list.strings(QLatin1String(GnomeCustomShortcut::listKey))) {
        if (path == ownEntryPath)
            continue;
        const GnomeSettings entry{QLatin1String(GnomeCustomShortcut::entrySchema), path};
        if (holds(entry.strings(QStringLiteral("binding")), wanted))
            return Conflict{QLatin1String(GnomeCustomShortcut::entrySchema), path,
                            entry.string(QStringLiteral("name")),
                            entry.string(QStringLiteral("name"))};
    }
    return std::nullopt;
}

bool GnomeBindingConflicts::canFree(const Conflict& conflict) {
    return conflict.schema != QLatin1String(GnomeCustomShortcut::entrySchema);
}

bool GnomeBindingConflicts::free(const Conflict& conflict, const QString& accelerator) {
    if (!canFree(conflict))
        return false;
    GnomeSettings settings{conflict.schema};
    const QString wanted = GnomeAccelerator::normalised(accelerator);
    QStringList kept;
    for (const QString& held : settings.strings(conflict.key)) {
        if (GnomeAccelerator::normalised(held) != wanted)
            kept.append(held);
    }
    if (!settings.setStringList(conflict.key, kept))
        return false;
    GnomeSettings::sync();
    return true;
}
