#include "views/settings/sections/MicrophoneChoice.h"

#include "models/AppSettings.h"
#include "platform/AudioSourceList.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QProgressBar>

MicrophoneChoice::MicrophoneChoice(AppSettings& settings, AudioSourceList& sources, QWidget* parent)
    : QWidget(parent),
      settings_(settings),
      sources_(&sources),
      choice_(new QComboBox(this)),
      level_(new QProgressBar(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    level_->setRange(0, 100);
    level_->setValue(0);
    level_->setTextVisible(false);
    level_->setFixedSize(70, 8);
    //% "Input level"
    level_->setAccessibleName(qtTrId("system.microphone.level"));
    choice_->setFixedWidth(260);
    //% "Microphone"
    choice_->setAccessibleName(qtTrId("system.microphone"));
    row->addWidget(level_);
    row->addWidget(choice_);
    fill();
    connect(choice_, &QComboBox::activated, this, &MicrophoneChoice::chosen);
    connect(&sources, &AudioSourceList::sourcesChanged, this, &MicrophoneChoice::fill);
    connect(&sources, &AudioSourceList::levelChanged, this,
            [this](float level) { level_->setValue(qRound(level * 100)); });
}

void MicrophoneChoice::fill() {
    const QString stored = settings_.inputDevice();
    choice_->clear();
    //% "System default"
    choice_->addItem(qtTrId("system.microphone.default"), QString());
    const auto sources = sources_ ? sources_->sources() : QList<AudioSourceList::Source>{};
    for (const AudioSourceList::Source& source : sources) {
        choice_->addItem(source.description, QString::fromUtf8(source.name));
    }
    // A chosen microphone that is unplugged stays chosen: recording falls back to the default
    // until it returns.
    if (!stored.isEmpty() && choice_->findData(stored) < 0) {
        //% "%1 (not connected)"
        choice_->addItem(qtTrId("system.microphone.missing").arg(stored), stored);
    }
    choice_->setCurrentIndex(choice_->findData(stored));
}

void MicrophoneChoice::chosen(int index) {
    const QString name = choice_->itemData(index).toString();
    if (name == settings_.inputDevice())
        return;
    settings_.setInputDevice(name);
    if (isVisible() && sources_)
        sources_->startLevelMeter(name.toUtf8());
}

void MicrophoneChoice::showEvent(QShowEvent* event) {
    if (sources_)
        sources_->startLevelMeter(settings_.inputDevice().toUtf8());
    QWidget::showEvent(event);
}

void MicrophoneChoice::hideEvent(QHideEvent* event) {
    if (sources_)
        sources_->stopLevelMeter();
    level_->setValue(0);
    QWidget::hideEvent(event);
}
