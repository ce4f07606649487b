#include "platform/x11/X11AtomNames.h"

#include <cstdlib>

xcb_atom_t X11AtomNames::atom(const QString& name) {
    if (const auto known = atoms_.constFind(name); known != atoms_.cend()) {
        return *known;
    }
    const QByteArray latin = name.toLatin1();
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, latin.size(), latin.constData()), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    if (atom != XCB_ATOM_NONE) {
        atoms_.insert(name, atom);
        names_.insert(atom, name);
    }
    return atom;
}

QList<QString> X11AtomNames::names(const QList<xcb_atom_t>& atoms) {
    QList<xcb_get_atom_name_cookie_t> cookies;
    for (xcb_atom_t atom : atoms) {
        cookies.append(names_.contains(atom) ? xcb_get_atom_name_cookie_t{0}
                                             : xcb_get_atom_name(connection_, atom));
    }
    QList<QString> result;
    for (qsizetype i = 0; i < atoms.size(); ++i) {
        if (cookies[i].sequence == 0) {
            result.append(names_.value(atoms[i]));
            continue;
        }
        xcb_get_atom_name_reply_t* reply =
            xcb_get_atom_name_reply(connection_, cookies[i], nullptr);
        QString name;
        if (reply != nullptr) {
            name = QString::fromLatin1(xcb_get_atom_name_name(reply),
                                       xcb_get_atom_name_name_length(reply));
            atoms_.insert(name, atoms[i]);
            names_.insert(atoms[i], name);
        }
        std::free(reply);
        result.append(name);
    }
    return result;
}
