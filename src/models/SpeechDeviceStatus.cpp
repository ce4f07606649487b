#include "models/SpeechDeviceStatus.h"

SpeechDeviceStatus::SpeechDeviceStatus(int processorThreads, QObject* parent)
    : QObject(parent), device_{false, {}, processorThreads} {}

void SpeechDeviceStatus::update(const SpeechDevice& device, const QString& graphicsCard) {
    if (device == device_ && graphicsCard == graphicsCard_) {
        return;
    }
    device_ = device;
    graphicsCard_ = graphicsCard;
    emit changed();
}

void SpeechDeviceStatus::lookUp() {
    if (lookup_) {
        lookup_();
    }
}
