#include "services/hotkey/HotkeyUtils.h"

#include "base/Log.h"
#include "platform/FnKeySetting.h"
#include "platform/KeyboardLayout.h"
#include "services/hotkey/ModifierHotkeyManager.h"

#include <array>

namespace {

KeyboardLayout* installedLayout = nullptr;
FnKeySetting* installedFnSetting = nullptr;

// The names a Linux desktop gives the keys, translated. The stored codes keep the portable
// numbering: option is Alt, command is Super, and 61 (right Option) is the right Alt key,
// which most European layouts use as AltGr.
QString ctrlName() {
    //% "Ctrl"
    return qtTrId("key.ctrl");
}
QString altName() {
    //% "Alt"
    return qtTrId("key.alt");
}
QString shiftName() {
    //% "Shift"
    return qtTrId("key.shift");
}
QString superName() {
    //% "Super"
    return qtTrId("key.super");
}

struct ModifierRow {
    quint32 mask;
    QString (*name)();
};

// Display order.
constexpr std::array<ModifierRow, 4> modifierRows{{
    {HotkeyUtils::controlMask, ctrlName},
    {HotkeyUtils::optionMask, altName},
    {HotkeyUtils::shiftMask, shiftName},
    {HotkeyUtils::commandMask, superName},
}};

std::optional<QString> fixedKeyName(int keyCode) {
    switch (keyCode) {
    //% "Enter"
    case 36: return qtTrId("key.return");
    //% "Tab"
    case 48: return qtTrId("key.tab");
    //% "Space"
    case 49: return qtTrId("key.space");
    //% "Backspace"
    case 51: return qtTrId("key.backspace");
    case 53: return QStringLiteral("Esc");
    //% "Right Super"
    case 54: return qtTrId("key.right_super");
    case 55: return superName();
    case 56: return shiftName();
    //% "Right Shift"
    case 60: return qtTrId("key.right_shift");
    case 58: return altName();
    //% "AltGr"
    case 61: return qtTrId("key.altgr");
    case 59: return ctrlName();
    //% "Right Ctrl"
    case 62: return qtTrId("key.right_ctrl");
    case 63: return QStringLiteral("Fn");
    //% "Delete"
    case 117: return qtTrId("key.delete");
    case 122: return QStringLiteral("F1");
    case 120: return QStringLiteral("F2");
    case 99: return QStringLiteral("F3");
    case 118: return QStringLiteral("F4");
    case 96: return QStringLiteral("F5");
    case 97: return QStringLiteral("F6");
    case 98: return QStringLiteral("F7");
    case 100: return QStringLiteral("F8");
    case 101: return QStringLiteral("F9");
    case 109: return QStringLiteral("F10");
    case 103: return QStringLiteral("F11");
    case 111: return QStringLiteral("F12");
    case 123: return QStringLiteral("←");
    case 124: return QStringLiteral("→");
    case 125: return QStringLiteral("↓");
    case 126: return QStringLiteral("↑");
    default: return std::nullopt;
    }
}

}  // namespace

void HotkeyUtils::installKeyboardLayout(KeyboardLayout* layout) { installedLayout = layout; }

void HotkeyUtils::installFnKeySetting(FnKeySetting* setting) { installedFnSetting = setting; }

std::optional<QString> HotkeyUtils::characterForKeyCode(int keyCode) {
    if (!installedLayout) return std::nullopt;
    auto character = installedLayout->characterForKeyCode(keyCode);
    if (character && character->isEmpty()) return std::nullopt;
    return character;
}

QString HotkeyUtils::keyName(int keyCode) {
    if (auto fixed = fixedKeyName(keyCode)) return *fixed;
    if (auto character = characterForKeyCode(keyCode)) return character->toUpper();
    return QStringLiteral("Key %1").arg(keyCode);
}

QString HotkeyUtils::modifierName(quint32 mask) {
    for (const auto& row : modifierRows) {
        if (mask == row.mask) return row.name();
    }
    return {};
}

QStringList HotkeyUtils::keyParts(int keyCode, quint32 modifiers) {
    QStringList parts;
    for (const auto& row : modifierRows) {
        if (modifiers & row.mask) parts.append(row.name());
    }
    parts.append(keyName(keyCode));
    return parts;
}

QList<KeyPart> HotkeyUtils::keyPartsWithLabels(int keyCode, quint32 modifiers) {
    QList<KeyPart> parts;
    for (const auto& row : modifierRows) {
        if (modifiers & row.mask) parts.append({row.name(), row.name()});
    }
    const QString name = keyName(keyCode);
    parts.append({name, name});
    return parts;
}

quint32 HotkeyUtils::carbonModifiers(quint64 eventFlags) {
    quint32 mask = 0;
    if (eventFlags & ModifierHotkeyManager::commandFlag) mask |= commandMask;
    if (eventFlags & ModifierHotkeyManager::optionFlag) mask |= optionMask;
    if (eventFlags & ModifierHotkeyManager::shiftFlag) mask |= shiftMask;
    if (eventFlags & ModifierHotkeyManager::controlFlag) mask |= controlMask;
    return mask;
}

bool HotkeyUtils::isFnKeyUsable() {
    return !installedFnSetting || installedFnSetting->isFnKeyUsable();
}

void HotkeyUtils::ensureFnKeyAvailable() {
    if (!installedFnSetting) return;
    // An absent or unreadable setting counts as the system default, 2.
    const int current = installedFnSetting->usageType().value_or(2);
    if (current == 0) {
        Log::line(QStringLiteral("[HotkeyUtils] AppleFnUsageType already 0 (Do Nothing)"));
        return;
    }
    installedFnSetting->setUsageToNothing();
    Log::line(QStringLiteral("[HotkeyUtils] Set AppleFnUsageType to 0 (Do Nothing) — was %1").arg(current));
}
