#include "views/settings/sections/LocalTranscriptionCard.h"

#include "models/AppSettings.h"
#include "models/SpeechDeviceStatus.h"
#include "services/local/LocalTranscriber.h"
#include "services/local/SpeechModelCatalogue.h"
#include "services/local/SpeechModelRecommendation.h"
#include "services/local/SpeechModelDownloader.h"
#include "views/Translations.h"
#include "views/widgets/PillButton.h"
#include "views/widgets/QuilloToggleStyle.h"
#include "views/widgets/SettingsRow.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString sizeText(qint64 bytes) {
    return QLocale().formattedDataSize(bytes, 0, QLocale::DataSizeTraditionalFormat);
}

}  // namespace

LocalTranscriptionCard::LocalTranscriptionCard(AppSettings& settings,
                                               SpeechModelDownloader& downloader,
                                               SpeechDeviceStatus* device, QWidget* parent)
    : SettingsCard(parent),
      settings_(settings),
      downloader_(downloader),
      toggle_(new QuilloToggleStyle),
      fastToggle_(new QuilloToggleStyle),
      livePreviewToggle_(new QuilloToggleStyle),
      graphicsCardToggle_(new QuilloToggleStyle),
      deviceRow_(nullptr),
      device_(device),
      status_(new QLabel) {
    //% "Transcribe on this computer"
    //% "Private and free; works without a network. Needs a downloaded model."
    contentLayout()->addWidget(
        new SettingsRow(qtTrId("local.title"), qtTrId("local.subtitle"), toggle_, true));
    toggle_->setChecked(settings_.localTranscription());
    connect(toggle_, &QAbstractButton::toggled, this,
            [this](bool on) { settings_.setLocalTranscription(on); });
    //% "Faster, may be less accurate"
    //% "The model listens to the length of the dictation rather than its full 30-second window."
    contentLayout()->addWidget(new SettingsRow(qtTrId("local.fast_title"),
                                               qtTrId("local.fast_subtitle"), fastToggle_, true));
    fastToggle_->setChecked(settings_.localTranscriptionFast());
    connect(fastToggle_, &QAbstractButton::toggled, this,
            [this](bool on) { settings_.setLocalTranscriptionFast(on); });
    //% "Show the words while you speak"
    //% "The overlay shows the latest words under the waveform as they are transcribed."
    contentLayout()->addWidget(new SettingsRow(qtTrId("local.live_preview_title"),
                                               qtTrId("local.live_preview_subtitle"),
                                               livePreviewToggle_, true));
    livePreviewToggle_->setChecked(settings_.livePreview());
    connect(livePreviewToggle_, &QAbstractButton::toggled, this,
            [this](bool on) { settings_.setLivePreview(on); });
    //% "Use the graphics card"
    deviceRow_ = new SettingsRow(qtTrId("local.graphics_card_title"), QStringLiteral(" "),
                                 graphicsCardToggle_, true);
    contentLayout()->addWidget(deviceRow_);
    graphicsCardToggle_->setChecked(settings_.useGpu());
    connect(graphicsCardToggle_, &QAbstractButton::toggled, this, [this](bool on) {
        settings_.setUseGpu(on);
        refreshRecommendations();
        if (device_) {
            device_->lookUp();  // where the next model goes now
        }
    });
    if (device_) {
        connect(device_, &SpeechDeviceStatus::changed, this, [this] { refreshDevice(); });
        device_->lookUp();
    }
    refreshDevice();

    for (const auto& entry : SpeechModelCatalogue::entries()) {
        auto* row = new SettingsRow(entry.name, QStringLiteral(" "), controlsFor(entry.name), true);
        row->subtitleLabel()->setWordWrap(true);
        modelRows_.insert(entry.name, row);
        contentLayout()->addWidget(row);
    }
    refreshRecommendations();
    //% "Use a model file…"
    auto* chooser = new PillButton(qtTrId("local.choose_file"), PillButton::Style::secondary);
    connect(chooser, &QAbstractButton::clicked, this, &LocalTranscriptionCard::chooseFile);
    contentLayout()->addWidget(new SettingsRow(settings_.localModel(), {}, chooser, false));
    status_->setWordWrap(true);
    contentLayout()->addWidget(status_);

    connect(&downloader_, &SpeechModelDownloader::progress, this, [this](qint64 got, qint64 total) {
        QProgressBar* bar = controls_.value(downloadingModel()).progress;
        if (bar && total > 0) {
            bar->setValue(static_cast<int>(got * 1000 / total));
        }
    });
    connect(&downloader_, &SpeechModelDownloader::finished, this, [this] {
        status_->clear();
        refresh();
    });
    connect(&downloader_, &SpeechModelDownloader::failed, this, [this](const QString& reason) {
        status_->setText(reason);
        refresh();
    });
    connect(&downloader_, &SpeechModelDownloader::started, this, [this] { refresh(); });
    connect(&downloader_, &SpeechModelDownloader::cancelled, this, [this] { refresh(); });
    connect(&settings_, &AppSettings::changed, this, [this] { refresh(); });
    refresh();
}

void LocalTranscriptionCard::refreshDevice() {
    const SpeechDevice device =
        device_ ? device_->device()
                : SpeechDevice{false, {}, std::max(1, QThread::idealThreadCount())};
    //% "Graphics card: %1"
    //% "Processor, %1 threads"
    const QString line = device.graphicsCard ? qtTrId("local.device_graphics_card").arg(device.name)
                                             : qtTrId("local.device_processor").arg(device.threads);
    deviceRow_->subtitleLabel()->setText(line);
    // Only where there is a card to choose.
    graphicsCardToggle_->setEnabled(device_ && !device_->graphicsCard().isEmpty());
    refreshRecommendations();
}

void LocalTranscriptionCard::refreshRecommendations() {
    for (auto row = modelRows_.cbegin(); row != modelRows_.cend(); ++row)
        row.value()->subtitleLabel()->setText(modelSubtitle(row.key()));
}

QString LocalTranscriptionCard::modelSubtitle(const QString& model) const {
    const auto entry = SpeechModelCatalogue::find(model);
    if (!entry)
        return {};
    //% "English only"
    //% "Many languages"
    QString text =
        sizeText(entry->bytes) + QStringLiteral(" · ") +
        (entry->multilingual ? qtTrId("local.multilingual") : qtTrId("local.english_only"));
    // The card's models only where the card will be used.
    const bool onCard = device_ && !device_->graphicsCard().isEmpty() && settings_.useGpu();
    const auto advice = SpeechModelRecommendation::forMachine(
        Translations::resolve(settings_.appLanguage()), onCard);
    for (const auto& suggestion : advice) {
        if (suggestion.model != model)
            continue;
        //% "Recommended"
        //% "Recommended for your graphics card: about %1 s for 10 s of speech"
        text += QStringLiteral(" · ") +
                (onCard ? qtTrId("local.recommended_graphics_card")
                              .arg(QLocale().toString(suggestion.secondsPerTenSecondsOnCard))
                        : qtTrId("local.recommended"));
    }
    return text;
}

QWidget* LocalTranscriptionCard::controlsFor(const QString& model) {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    ModelControls c{new QProgressBar,
                    //% "Download"
                    new PillButton(qtTrId("local.download"), PillButton::Style::primary),
                    //% "Cancel"
                    new PillButton(qtTrId("local.cancel"), PillButton::Style::secondary),
                    //% "Use"
                    new PillButton(qtTrId("local.use"), PillButton::Style::primary),
                    //% "Delete"
                    new PillButton(qtTrId("local.delete"), PillButton::Style::secondary)};
    c.progress->setRange(0, 1000);
    c.progress->setFixedWidth(120);
    c.progress->setTextVisible(false);
    c.progress->setAccessibleName(qtTrId("local.download_progress"));
    c.progress->setAccessibleDescription(model);
    for (QWidget* w : {static_cast<QWidget*>(c.progress), static_cast<QWidget*>(c.download),
                       static_cast<QWidget*>(c.cancel), static_cast<QWidget*>(c.use),
                       static_cast<QWidget*>(c.remove)}) {
        row->addWidget(w);
    }
    connect(c.download, &QAbstractButton::clicked, this, [this, model] { download(model); });
    connect(c.cancel, &QAbstractButton::clicked, &downloader_, &SpeechModelDownloader::cancel);
    connect(c.use, &QAbstractButton::clicked, this,
            [this, model] { settings_.setLocalModel(model); });
    connect(c.remove, &QAbstractButton::clicked, this, [this, model] { remove(model); });
    controls_.insert(model, c);
    return box;
}

void LocalTranscriptionCard::download(const QString& model) {
    const auto entry = SpeechModelCatalogue::find(model);
    if (!entry || downloader_.isRunning()) {
        return;
    }
    status_->clear();
    downloader_.start(SpeechModelCatalogue::url(*entry), LocalTranscriber::modelPath(model),
                      entry->bytes, entry->sha256);
}

QString LocalTranscriptionCard::downloadingModel() const {
    if (!downloader_.isRunning())
        return {};
    for (auto it = controls_.cbegin(); it != controls_.cend(); ++it) {
        if (LocalTranscriber::modelPath(it.key()) == downloader_.destination())
            return it.key();
    }
    return {};
}

void LocalTranscriptionCard::remove(const QString& model) {
    const QString path = LocalTranscriber::modelPath(model);
    QFile::remove(path);
    // A part left by an interrupted download would otherwise stay behind, unseen.
    QFile::remove(SpeechModelDownloader::partialPath(path));
    refresh();
}

void LocalTranscriptionCard::chooseFile() {
    //% "Choose a whisper model file"
    const QString path = QFileDialog::getOpenFileName(this, qtTrId("local.choose_title"),
                                                      LocalTranscriber::modelsDirectory(),
                                                      QStringLiteral("ggml (*.bin);;* (*)"));
    if (!path.isEmpty()) {
        settings_.setLocalModel(path);
    }
}

void LocalTranscriptionCard::refresh() {
    const QString chosen = settings_.localModel();
    const QString downloading = downloadingModel();
    for (auto it = controls_.cbegin(); it != controls_.cend(); ++it) {
        const bool installed = QFile::exists(LocalTranscriber::modelPath(it.key()));
        const bool busy = downloading == it.key();
        const ModelControls& c = it.value();
        c.progress->setVisible(busy);
        c.cancel->setVisible(busy);
        c.download->setVisible(!busy && !installed);
        c.download->setEnabled(!downloader_.isRunning());
        c.use->setVisible(installed && chosen != it.key());
        c.remove->setVisible(installed);
        if (!busy) {
            c.progress->setValue(0);
        }
    }
}
