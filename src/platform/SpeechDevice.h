#pragma once

#include <QString>

// Where the speech model runs: on a graphics card (by its name) or on the processor (with so
// many compute threads). What the settings show and the log says at each model load.
struct SpeechDevice {
    bool graphicsCard = false;
    QString name;     // the card's name; empty on the processor
    int threads = 0;  // the processor's compute threads; 0 on a card

    bool operator==(const SpeechDevice&) const = default;
};
