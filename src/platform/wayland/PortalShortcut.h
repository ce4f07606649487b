#pragma once

#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

// One shortcut as the GlobalShortcuts portal passes it: an id and its properties
// ("description", "preferred_trigger", "trigger_description"). D-Bus signature (sa{sv}).
struct PortalShortcut {
    QString id;
    QVariantMap properties;

    // Makes the type and its list known to Qt D-Bus; safe to call more than once.
    static void registerDBusTypes();
    // The list in a portal answer: a QDBusArgument of a(sa{sv}), or an already converted list.
    static QList<PortalShortcut> listFrom(const QVariant& value);
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut);
const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut);

Q_DECLARE_METATYPE(PortalShortcut)
