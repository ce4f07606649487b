#include "platform/wayland/SwayBindings.h"

#include "platform/KeyCodes.h"

#include <memory>

#include <xkbcommon/xkbcommon.h>

namespace {

// Key sym names are the same in every layout that has the key; sway matches them against the
// active layout. The US layout names each key by its unshifted symbol, as sway's bindings do.
QString keysymName(quint32 xkbKeyCode) {
    using Context = std::unique_ptr<xkb_context, decltype(&xkb_context_unref)>;
    using Keymap = std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)>;
    static const Context context(xkb_context_new(XKB_CONTEXT_NO_FLAGS), &xkb_context_unref);
    if (!context)
        return {};
    static const xkb_rule_names names = {nullptr, "pc105", "us", nullptr, nullptr};
    static const Keymap keymap(
        xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS),
        &xkb_keymap_unref);
    if (!keymap)
        return {};
    const xkb_keysym_t* syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(keymap.get(), xkbKeyCode, 0, 0, &syms) < 1)
        return {};
    char name[64];
    if (xkb_keysym_get_name(syms[0], name, sizeof name) <= 0)
        return {};
    return QString::fromLatin1(name);
}

}  // namespace

QString SwayBindings::combination(int keyCode, int carbonModifiers) {
    if (KeyCodes::isModifierOnlyKey(keyCode))
        return {};
    const std::optional<quint32> xkbKeyCode = KeyCodes::toXkb(keyCode);
    if (!xkbKeyCode)
        return {};
    const QString key = keysymName(*xkbKeyCode);
    if (key.isEmpty())
        return {};
    QStringList parts;
    if (carbonModifiers & 4096)
        parts << QStringLiteral("Ctrl");
    if (carbonModifiers & 2048)
        parts << QStringLiteral("Mod1");
    if (carbonModifiers & 512)
        parts << QStringLiteral("Shift");
    if (carbonModifiers & 256)
        parts << QStringLiteral("Mod4");
    parts << key;
    return parts.join(QLatin1Char('+'));
}

QStringList SwayBindings::configLines(int keyCode, int carbonModifiers, const QString& program) {
    const QString combo = combination(keyCode, carbonModifiers);
    if (combo.isEmpty())
        return {};
    return {QStringLiteral("bindsym %1 exec %2 --hotkey-press").arg(combo, program),
            QStringLiteral("bindsym --release %1 exec %2 --hotkey-release").arg(combo, program)};
}
