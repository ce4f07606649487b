#pragma once

#include "platform/SoundPlayer.h"

#include <QStringList>

class FakeSoundPlayer final : public SoundPlayer {
public:
    void play(const QString& name) override { played << name; }
    QStringList played;
};
