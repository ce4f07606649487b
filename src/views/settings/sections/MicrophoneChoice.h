#pragma once

#include "platform/AudioSourceList.h"

#include <QPointer>
#include <QWidget>

class AppSettings;
class QComboBox;
class QProgressBar;

// The microphone picker of the System section: "System default" and every input the sound
// server offers, stored by the source's name in "input_device", with a live level bar while
// the picker is on screen. The list follows devices being plugged in and out.
class MicrophoneChoice : public QWidget {
    Q_OBJECT
public:
    MicrophoneChoice(AppSettings& settings, AudioSourceList& sources, QWidget* parent = nullptr);

    QComboBox* choice() const { return choice_; }
    QProgressBar* levelBar() const { return level_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void fill();
    void chosen(int index);

    AppSettings& settings_;
    QPointer<AudioSourceList> sources_;  // may go before the window at exit
    QComboBox* choice_;
    QProgressBar* level_;
};
