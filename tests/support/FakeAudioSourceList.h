#pragma once

#include "platform/AudioSourceList.h"

// Sources set by the test; the level meter records what it was asked to measure.
class FakeAudioSourceList final : public AudioSourceList {
    Q_OBJECT
public:
    QList<Source> sources() const override { return list; }
    void startLevelMeter(const QByteArray& name) override {
        metering = true;
        meteredSource = name;
    }
    void stopLevelMeter() override { metering = false; }

    void setSources(QList<Source> sources) {
        list = std::move(sources);
        emit sourcesChanged();
    }

    QList<Source> list;
    bool metering = false;
    QByteArray meteredSource;
};
