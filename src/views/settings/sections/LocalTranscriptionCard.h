#pragma once

#include "views/widgets/SettingsCard.h"

#include <QHash>
#include <QString>

class AppSettings;
class QLabel;
class QProgressBar;
class QuilloToggleStyle;
class SettingsRow;
class SpeechDeviceStatus;
class SpeechModelDownloader;
class PillButton;

// "Transcribe on this computer": the switches (on, faster, the words shown while speaking, the
// graphics card with the device in use), the catalogue of models with their sizes, a download with
// progress and Cancel, Delete, Use, and "Use a model file…". Self-contained, so that a settings
// section can host it with one line. The downloader outlives the card: a download goes on when the
// user switches section and shows again on the next card.
class LocalTranscriptionCard : public SettingsCard {
    Q_OBJECT
public:
    // Without a device status the card is the processor's and its switch stays disabled.
    LocalTranscriptionCard(AppSettings& settings, SpeechModelDownloader& downloader,
                           SpeechDeviceStatus* device = nullptr, QWidget* parent = nullptr);

    // For tests: the controls of one catalogue model.
    struct ModelControls {
        QProgressBar* progress;
        PillButton* download;
        PillButton* cancel;
        PillButton* use;
        PillButton* remove;
    };
    ModelControls controls(const QString& model) const { return controls_.value(model); }
    QuilloToggleStyle* toggle() const { return toggle_; }
    QuilloToggleStyle* fastToggle() const { return fastToggle_; }
    QuilloToggleStyle* livePreviewToggle() const { return livePreviewToggle_; }
    QuilloToggleStyle* graphicsCardToggle() const { return graphicsCardToggle_; }
    SettingsRow* deviceRow() const { return deviceRow_; }
    // The size, languages and, where it suits this computer, the recommendation of a model.
    QString modelSubtitle(const QString& model) const;
    QLabel* status() const { return status_; }

private:
    QWidget* controlsFor(const QString& model);
    void download(const QString& model);
    void remove(const QString& model);
    void chooseFile();
    void refresh();
    void refreshDevice();
    void refreshRecommendations();
    // The catalogue model being downloaded; empty when none is.
    QString downloadingModel() const;

    AppSettings& settings_;
    SpeechModelDownloader& downloader_;
    QuilloToggleStyle* toggle_;
    QuilloToggleStyle* fastToggle_;
    QuilloToggleStyle* livePreviewToggle_;
    QuilloToggleStyle* graphicsCardToggle_;
    SettingsRow* deviceRow_;
    SpeechDeviceStatus* device_;
    QLabel* status_;
    QHash<QString, ModelControls> controls_;
    QHash<QString, SettingsRow*> modelRows_;
};
