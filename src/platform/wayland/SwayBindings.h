#pragma once

#include <QString>
#include <QStringList>

// The lines that bind the stored hotkey in sway's configuration (or another compositor that reads
// the same syntax) to "quillo --hotkey-press" on the press and "--hotkey-release" on the release.
class SwayBindings {
public:
    SwayBindings() = delete;

    // The combination as sway names it, such as "Mod1+space"; empty for a key without a name
    // there (Fn) or a lone modifier, which sway cannot report as press and release of a hotkey.
    static QString combination(int keyCode, int carbonModifiers);
    // The two configuration lines; empty when combination() is.
    static QStringList configLines(int keyCode, int carbonModifiers,
                                   const QString& program = QStringLiteral("quillo"));
};
