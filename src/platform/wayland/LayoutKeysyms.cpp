#include "platform/wayland/LayoutKeysyms.h"

#include "platform/wayland/GnomeSettings.h"

#include <xkbcommon/xkbcommon.h>

#include <memory>

namespace {

struct ContextUnref {
    void operator()(xkb_context* context) const { xkb_context_unref(context); }
};
struct KeymapUnref {
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};

}  // namespace

LayoutKeysyms LayoutKeysyms::of(const QString& layout, const QString& variant) {
    LayoutKeysyms result;
    const std::unique_ptr<xkb_context, ContextUnref> context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!context)
        return result;
    const QByteArray layoutName = layout.toUtf8();
    const QByteArray variantName = variant.toUtf8();
    xkb_rule_names names{};
    names.layout = layout.isEmpty() ? nullptr : layoutName.constData();
    names.variant = variant.isEmpty() ? nullptr : variantName.constData();
    const std::unique_ptr<xkb_keymap, KeymapUnref> keymap(
        xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap)
        return result;
    for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap.get());
         key <= xkb_keymap_max_keycode(keymap.get()); ++key) {
        const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(keymap.get(), key, 0);
        for (xkb_level_index_t level = 0; level < levels && level < 2; ++level) {
            const xkb_keysym_t* syms = nullptr;
            const int count = xkb_keymap_key_get_syms_by_level(keymap.get(), key, 0, level, &syms);
            for (int i = 0; i < count; ++i)
                result.keysyms_.insert(syms[i]);
        }
    }
    return result;
}

std::pair<QString, QString> LayoutKeysyms::splitSourceId(const QString& id) {
    const qsizetype plus = id.indexOf(QLatin1Char('+'));
    return plus < 0 ? std::pair(id, QString()) : std::pair(id.left(plus), id.mid(plus + 1));
}

LayoutKeysyms LayoutKeysyms::ofGnomeInputSource() {
    const QString schema = QStringLiteral("org.gnome.desktop.input-sources");
    if (!GnomeSettings::isInstalled(schema))
        return of({});
    const GnomeSettings sources(schema);
    QList<QPair<QString, QString>> inUse = sources.stringPairs(QStringLiteral("mru-sources"));
    if (inUse.isEmpty())
        inUse = sources.stringPairs(QStringLiteral("sources"));
    if (inUse.isEmpty() || inUse.first().first != QLatin1String("xkb"))
        return of({});
    const auto [layout, variant] = splitSourceId(inUse.first().second);
    return of(layout, variant);
}
