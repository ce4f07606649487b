#include "platform/wayland/GnomeCustomShortcut.h"

#include "platform/wayland/GnomeSettings.h"

#pragma push_macro("signals")
#undef signals
#include <glib.h>
#pragma pop_macro("signals")

namespace {

const QString nameKey = QStringLiteral("name");
const QString bindingKey = QStringLiteral("binding");
const QString commandKey = QStringLiteral("command");

}  // namespace

QString GnomeCustomShortcut::entryPath() {
    return QStringLiteral(
        "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/quillo/");
}

bool GnomeCustomShortcut::isAvailable() {
    return GnomeSettings::isInstalled(QLatin1String(listSchema)) &&
           GnomeSettings::isInstalled(QLatin1String(entrySchema));
}

QString GnomeCustomShortcut::pressCommand(const QStringList& arguments) {
    QStringList words;
    for (const QString& argument : arguments) {
        gchar* quoted = g_shell_quote(argument.toUtf8().constData());
        words << QString::fromUtf8(quoted);
        g_free(quoted);
    }
    return words.join(QLatin1Char(' '));
}

bool GnomeCustomShortcut::write(const QString& accelerator, const QString& command) {
    GnomeSettings list{QLatin1String(listSchema)};
    GnomeSettings entry{QLatin1String(entrySchema), entryPath()};
    if (!list.isValid() || !entry.isValid())
        return false;
    // The entry is complete before it is listed: the daemon never sees half of it.
    if (!entry.setString(nameKey, QLatin1String(entryName)) ||
        !entry.setString(bindingKey, accelerator) || !entry.setString(commandKey, command))
        return false;
    QStringList paths = list.strings(QLatin1String(listKey));
    if (!paths.contains(entryPath())) {
        paths.append(entryPath());
        if (!list.setStringList(QLatin1String(listKey), paths))
            return false;
    }
    GnomeSettings::sync();
    return true;
}

void GnomeCustomShortcut::remove() {
    GnomeSettings list{QLatin1String(listSchema)};
    GnomeSettings entry{QLatin1String(entrySchema), entryPath()};
    if (!list.isValid() || !entry.isValid())
        return;
    QStringList paths = list.strings(QLatin1String(listKey));
    if (paths.removeAll(entryPath()) > 0)
        list.setStringList(QLatin1String(listKey), paths);
    for (const QString& key : {nameKey, bindingKey, commandKey})
        entry.reset(key);
    // Also when Quillo quits right after.
    GnomeSettings::sync();
}

QString GnomeCustomShortcut::writtenBinding() {
    GnomeSettings list{QLatin1String(listSchema)};
    if (!list.strings(QLatin1String(listKey)).contains(entryPath()))
        return {};
    return GnomeSettings{QLatin1String(entrySchema), entryPath()}.string(bindingKey);
}
