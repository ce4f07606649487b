#pragma once

#include "platform/SoundPlayer.h"

#include <QHash>
#include <QObject>

class QSoundEffect;

// Plays the bundled short sounds (":/sounds/<name>.wav") on the default output.
class QtSoundPlayer final : public QObject, public SoundPlayer {
    Q_OBJECT
public:
    explicit QtSoundPlayer(QObject* parent = nullptr);

    void play(const QString& name) override;

private:
    QSoundEffect* effect(const QString& name);

    QHash<QString, QSoundEffect*> effects_;
};
