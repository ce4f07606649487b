#pragma once

// GNOME's settings for tests: GIO's in-memory backend (set before the first settings object of
// the process), with the installed schemas, and every key the tests touch back at its default.
// The schemas come from scripts/setup.sh (the settings daemon's, gnome-shell's and mutter's).

#include "platform/wayland/GnomeCustomShortcut.h"
#include "platform/wayland/GnomeSettings.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace GnomeTestSettings {

inline const bool memoryBackend = [] {
    qputenv("GSETTINGS_BACKEND", "memory");
    return true;
}();

inline const char* const bindingSchemas[] = {
    "org.gnome.desktop.wm.keybindings",       "org.gnome.shell.keybindings",
    "org.gnome.mutter.keybindings",           "org.gnome.mutter.wayland.keybindings",
    "org.gnome.desktop.peripherals.keyboard", GnomeCustomShortcut::listSchema,
};

inline QString customPath(const QString& name) {
    return QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/%1/")
        .arg(name);
}

// Every schema the GNOME code reads is installed, and the settings are the process's own (the
// tests reset keys: never the desktop's); call from SetUp with ASSERT_NO_FATAL_FAILURE.
inline void requireSchemas() {
    ASSERT_TRUE(memoryBackend);
    ASSERT_EQ(GnomeSettings::backendName(), QStringLiteral("GMemorySettingsBackend"))
        << "the tests would change this user's GNOME settings";
    for (const char* schema : bindingSchemas)
        ASSERT_TRUE(GnomeSettings::isInstalled(QLatin1String(schema)))
            << schema << " is not installed: run scripts/setup.sh";
    ASSERT_TRUE(GnomeSettings::isInstalled(QLatin1String(GnomeCustomShortcut::entrySchema)));
}

// Back to the defaults, custom entries `entryNames` and Quillo's own included.
inline void resetAll(const QStringList& entryNames) {
    for (const char* schema : bindingSchemas) {
        GnomeSettings settings{QLatin1String(schema)};
        for (const QString& key : settings.keys())
            settings.reset(key);
    }
    QStringList paths{GnomeCustomShortcut::entryPath()};
    for (const QString& name : entryNames)
        paths.append(customPath(name));
    for (const QString& path : paths) {
        GnomeSettings entry{QLatin1String(GnomeCustomShortcut::entrySchema), path};
        for (const QString& key : entry.keys())
            entry.reset(key);
    }
}

// Another application's custom shortcut, listed after those already there.
inline void addCustomEntry(const QString& name, const QString& binding, const QString& command) {
    GnomeSettings entry{QLatin1String(GnomeCustomShortcut::entrySchema), customPath(name)};
    entry.setString(QStringLiteral("name"), name);
    entry.setString(QStringLiteral("binding"), binding);
    entry.setString(QStringLiteral("command"), command);
    GnomeSettings list{QLatin1String(GnomeCustomShortcut::listSchema)};
    list.setStringList(
        QLatin1String(GnomeCustomShortcut::listKey),
        list.strings(QLatin1String(GnomeCustomShortcut::listKey)) + QStringList{customPath(name)});
}

}  // namespace GnomeTestSettings
