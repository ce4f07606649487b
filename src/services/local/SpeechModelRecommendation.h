#pragma once

#include <QList>
#include <QString>

// Which of the catalogue's models suit this computer. On a graphics card the larger models,
// whose accuracy rivals the cloud services, take about a second for ten seconds of speech;
// on the processor they take many times the dictation's length, so the base model is the one.
class SpeechModelRecommendation {
public:
    struct Advice {
        QString model;  // a catalogue name
        // What a graphics card is expected to take for 10 s of speech, from whisper.cpp's
        // published Vulkan figures for integrated and entry-level cards; 0 on the processor.
        double secondsPerTenSecondsOnCard = 0;
    };

    SpeechModelRecommendation() = delete;

    // Best first. `interfaceLanguage` picks the English-only shape where it is better.
    static QList<Advice> forMachine(const QString& interfaceLanguage, bool graphicsCard);
};
