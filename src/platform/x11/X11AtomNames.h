#pragma once

// Internal to the X11 clipboard: include it from .cpp files only, after the Qt headers.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <xcb/xcb.h>

// Atoms by name and names by atom, each asked of the server once.
class X11AtomNames {
public:
    explicit X11AtomNames(xcb_connection_t* connection) : connection_(connection) {}

    xcb_atom_t atom(const QString& name);
    // The names of several atoms in one round trip; empty for an atom the server does not know.
    QList<QString> names(const QList<xcb_atom_t>& atoms);

private:
    xcb_connection_t* connection_;
    QHash<QString, xcb_atom_t> atoms_;
    QHash<xcb_atom_t, QString> names_;
};
