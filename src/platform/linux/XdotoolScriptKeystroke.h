#pragma once

#include "platform/ScriptKeystroke.h"

#include <QStringList>

// Has xdotool press Control+V, clearing the modifiers the user still holds for the moment.
class XdotoolScriptKeystroke final : public ScriptKeystroke {
public:
    explicit XdotoolScriptKeystroke(QString program = QStringLiteral("xdotool"),
                                    QStringList arguments = defaultArguments());

    QCoro::Task<Outcome> pressPasteChord() override;

    static QStringList defaultArguments();

private:
    static QCoro::Task<Outcome> run(QString program, QStringList arguments);

    QString program_;
    QStringList arguments_;
};
