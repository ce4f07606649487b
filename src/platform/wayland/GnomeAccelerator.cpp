#include "platform/wayland/GnomeAccelerator.h"

#include "platform/KeyCodes.h"
#include "platform/wayland/XdgShortcutTrigger.h"

#include <QStringList>

#include <algorithm>
#include <utility>

namespace {

// In the order GNOME's own settings write them.
constexpr std::pair<quint32, const char*> modifierNames[] = {{KeyCodes::controlMask, "<Control>"},
                                                             {KeyCodes::optionMask, "<Alt>"},
                                                             {KeyCodes::shiftMask, "<Shift>"},
                                                             {KeyCodes::commandMask, "<Super>"}};

QString canonicalModifier(const QString& name) {
    const QString lower = name.toLower();
    if (lower == QLatin1String("primary") || lower == QLatin1String("ctrl") ||
        lower == QLatin1String("ctl") || lower == QLatin1String("control"))
        return QStringLiteral("control");
    if (lower == QLatin1String("mod1") || lower == QLatin1String("alt"))
        return QStringLiteral("alt");
    if (lower == QLatin1String("mod4") || lower == QLatin1String("super"))
        return QStringLiteral("super");
    return lower;
}

}  // namespace

QString GnomeAccelerator::fromHotkey(quint32 keyCode, quint32 carbonModifiers) {
    if (KeyCodes::isModifierOnlyKey(int(keyCode)))
        return {};
    const QString key = XdgShortcutTrigger::keyName(keyCode);
    if (key.isEmpty())
        return {};
    QString accelerator;
    for (const auto& [mask, name] : modifierNames) {
        if (carbonModifiers & mask)
            accelerator += QLatin1String(name);
    }
    return accelerator + key;
}

QString GnomeAccelerator::normalised(const QString& accelerator) {
    QString rest = accelerator.trimmed();
    QStringList modifiers;
    while (rest.startsWith(QLatin1Char('<'))) {
        const qsizetype end = rest.indexOf(QLatin1Char('>'));
        if (end < 0)
            return {};
        const QString modifier = canonicalModifier(rest.mid(1, end - 1));
        if (!modifiers.contains(modifier))
            modifiers.append(modifier);
        rest = rest.mid(end + 1).trimmed();
    }
    if (rest.isEmpty() || rest == QLatin1String("disabled"))
        return {};
    std::sort(modifiers.begin(), modifiers.end());
    // Keysym names differ only in the case of letters ("a", "A") for the same key.
    return (modifiers + QStringList{rest.toLower()}).join(QLatin1Char('+'));
}
