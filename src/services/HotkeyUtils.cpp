#include "services/HotkeyUtils.h"

#include "platform/FnKeySetting.h"
#include "platform/KeyboardLayout.h"
#include "platform/Log.h"
#include "services/ModifierHotkeyManager.h"

#include <array>

namespace {

KeyboardLayout* installedLayout = nullptr;
FnKeySetting* installedFnSetting = nullptr;

struct ModifierRow {
    quint32 mask;
    const char* symbol;
    const char* label;
};

// Display order.
constexpr std::array<ModifierRow, 4> modifierRows{{
    {HotkeyUtils::controlMask, "⌃", "Control"},
    {HotkeyUtils::optionMask, "⌥", "Option"},
    {HotkeyUtils::shiftMask, "⇧", "Shift"},
    {HotkeyUtils::commandMask, "⌘", "Command"},
}};

std::optional<QString> fixedKeyName(int keyCode) {
    switch (keyCode) {
    case 36: return QStringLiteral("Return");
    case 48: return QStringLiteral("Tab");
    case 49: return QStringLiteral("Space");
    case 51: return QStringLiteral("Delete");
    case 53: return QStringLiteral("Esc");
    case 54:
    case 55: return QStringLiteral("⌘");
    case 56:
    case 60: return QStringLiteral("⇧");
    case 58:
    case 61: return QStringLiteral("⌥");
    case 59:
    case 62: return QStringLiteral("⌃");
    case 63: return QStringLiteral("fn");
    case 117: return QStringLiteral("Fwd Delete");
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

// The word under a lone modifier key's cap.
QString loneModifierLabel(int keyCode) {
    switch (keyCode) {
    case 54:
    case 55: return QStringLiteral("Command");
    case 56:
    case 60: return QStringLiteral("Shift");
    case 58:
    case 61: return QStringLiteral("Option");
    case 59:
    case 62: return QStringLiteral("Control");
    case 63: return QStringLiteral("fn");
    default: return HotkeyUtils::keyName(keyCode);
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

QStringList HotkeyUtils::keyParts(int keyCode, quint32 modifiers) {
    QStringList parts;
    for (const auto& row : modifierRows) {
        if (modifiers & row.mask) parts.append(QString::fromUtf8(row.symbol));
    }
    parts.append(keyName(keyCode));
    return parts;
}

QList<KeyPart> HotkeyUtils::keyPartsWithLabels(int keyCode, quint32 modifiers) {
    QList<KeyPart> parts;
    for (const auto& row : modifierRows) {
        if (modifiers & row.mask) parts.append({QString::fromUtf8(row.symbol), QString::fromUtf8(row.label)});
    }
    const QString name = keyName(keyCode);
    const bool loneModifier = modifiers == 0 && ModifierHotkeyManager::isModifierOnlyKey(keyCode);
    parts.append({name, loneModifier ? loneModifierLabel(keyCode) : name});
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
