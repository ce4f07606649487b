#pragma once

#include "platform/SpeechDevice.h"

#include <QObject>
#include <QString>

#include <functional>

// Where this computer's engine runs and whether a graphics card was found, for the settings.
// The engine reports into it; the settings ask it to look for the card when they show it, since
// the first look costs a few hundred milliseconds and is not worth it at start-up.
class SpeechDeviceStatus : public QObject {
    Q_OBJECT
public:
    explicit SpeechDeviceStatus(int processorThreads, QObject* parent = nullptr);

    SpeechDevice device() const { return device_; }
    QString graphicsCard() const { return graphicsCard_; }  // empty when none was found

    void update(const SpeechDevice& device, const QString& graphicsCard);
    void setLookup(std::function<void()> lookup) { lookup_ = std::move(lookup); }
    // Looks again (the engine's later looks are cheap); nothing without a lookup.
    void lookUp();

signals:
    void changed();

private:
    SpeechDevice device_;
    QString graphicsCard_;
    std::function<void()> lookup_;
};
