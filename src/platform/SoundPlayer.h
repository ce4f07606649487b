#pragma once

#include <QString>

// Plays a named short sound ("Pop", "Purr"); nothing when the name is unknown.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QString& name) = 0;
};
