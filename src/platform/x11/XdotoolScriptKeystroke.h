#pragma once

#include "platform/ScriptKeystroke.h"

#include <QStringList>

// Has xdotool press the paste chord, clearing the modifiers the user still holds for the
// moment.
class XdotoolScriptKeystroke final : public ScriptKeystroke {
public:
    explicit XdotoolScriptKeystroke(QString program = QStringLiteral("xdotool"));

    QCoro::Task<Outcome> pressPasteChord(PasteChord chord) override;

    static QStringList arguments(PasteChord chord);

private:
    static QCoro::Task<Outcome> run(QString program, QStringList arguments);

    QString program_;
};
