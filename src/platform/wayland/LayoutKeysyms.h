#pragma once

#include <QSet>
#include <QString>

// The keysyms a keyboard layout gives with one key, Shift allowed (levels one and two of its
// first group): what a compositor can type by keysym without changing the keymap. mutter drops
// the others ("No keycode found for keyval").
class LayoutKeysyms {
public:
    // An xkb layout and variant ("de", "nodeadkeys"); empty names are xkbcommon's defaults.
    static LayoutKeysyms of(const QString& layout, const QString& variant = {});
    // GNOME's input source in use: the most recently used one, else the first configured,
    // else xkbcommon's default. A source that is not an xkb layout (an input method) counts as
    // its default layout.
    static LayoutKeysyms ofGnomeInputSource();
    // An xkb input source id as GNOME stores it ("de+nodeadkeys") as layout and variant.
    static std::pair<QString, QString> splitSourceId(const QString& id);

    bool isValid() const { return !keysyms_.isEmpty(); }
    bool contains(quint32 keysym) const { return keysyms_.contains(keysym); }

private:
    QSet<quint32> keysyms_;
};
