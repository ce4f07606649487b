#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class FnKeySetting;
class KeyboardLayout;

// One key cap of a displayed hotkey: what is drawn on the cap and the word under it. On the
// Linux desktop both are the key's name ("Alt", "Space", "A"), translated.
struct KeyPart {
    QString symbol;
    QString label;
    bool operator==(const KeyPart&) const = default;
};

// Names of stored hotkeys, as the user sees them. A hotkey is a portable key code (Space 49,
// A 0, Fn 63, ...) and a Carbon modifier mask (control 4096, option 2048, shift 512,
// command 256). Modifiers are always listed in the order Control, Option, Shift, Command,
// then the key. Main thread only.
class HotkeyUtils {
public:
    static constexpr quint32 controlMask = 0x1000;
    static constexpr quint32 optionMask = 0x800;
    static constexpr quint32 shiftMask = 0x200;
    static constexpr quint32 commandMask = 0x100;

    HotkeyUtils() = delete;

    // The key's display name as a Linux desktop shows it, in the interface language: a fixed
    // name for special keys ("Space", "Enter", "Alt", "Right Ctrl", "AltGr", "F1", "←", ...),
    // otherwise the upper-cased character the current layout types for it ("A" for key code 0
    // on a US layout), otherwise "Key " and the number ("Key 57").
    static QString keyName(int keyCode);
    // The name of one modifier mask ("Ctrl", "Alt", "Shift", "Super"); empty for others.
    static QString modifierName(quint32 mask);
    // The names of the set modifiers, then keyName: 49 with 2048 gives "Alt", "Space".
    static QStringList keyParts(int keyCode, quint32 modifiers);
    // The same caps with a label under each, the same name: 49 with 2048 gives
    // {"Alt","Alt"}, {"Space","Space"}; 61 alone gives {"AltGr","AltGr"}.
    static QList<KeyPart> keyPartsWithLabels(int keyCode, quint32 modifiers);
    // Key-event modifier flags (command 0x100000, option 0x80000, shift 0x20000, control
    // 0x40000) to the stored mask; Caps Lock, Fn and other flags are dropped.
    static quint32 carbonModifiers(quint64 eventFlags);
    // Makes sure that the system does nothing of its own when Fn is pressed alone.
    static void ensureFnKeyAvailable();
    // Whether Fn can serve as a hotkey on this desktop; true when no setting is installed.
    static bool isFnKeyUsable();

    // The composition root installs the real ports; tests install fakes. Without a layout
    // every key outside the fixed table gets the "Key " name; without an Fn setting
    // ensureFnKeyAvailable() does nothing. The caller keeps ownership.
    static void installKeyboardLayout(KeyboardLayout* layout);
    static void installFnKeySetting(FnKeySetting* setting);

private:
    static std::optional<QString> characterForKeyCode(int keyCode);
};
