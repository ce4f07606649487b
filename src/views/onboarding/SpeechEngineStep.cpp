#include "views/onboarding/SpeechEngineStep.h"

#include "models/AppSettings.h"
#include "services/local/LocalTranscriber.h"
#include "services/local/SpeechModelDownloader.h"
#include "services/local/SpeechModelRecommendation.h"
#include "services/remote/ConnectionCheck.h"
#include "services/remote/WhisperService.h"
#include "views/settings/sections/ConnectionSettingsContent.h"
#include "views/settings/sections/SecretField.h"
#include "views/Translations.h"
#include "views/widgets/PillButton.h"
#include "views/widgets/RadioGroupTabFocus.h"
#include "views/widgets/SettingsText.h"

#include <QButtonGroup>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

QString sizeText(qint64 bytes) {
    return QLocale().formattedDataSize(bytes, 0, QLocale::DataSizeTraditionalFormat);
}

QLabel* wrappedLabel(const QString& text = {}) {
    auto* label = SettingsText::label(text, 12, QFont::Normal, SettingsText::Tone::secondary);
    label->setWordWrap(true);
    return label;
}

}  // namespace

SpeechEngineStep::SpeechEngineStep(AppSettings& settings, Services services, QWidget* parent)
    : QWidget(parent),
      settings_(settings),
      services_(std::move(services)),
      choices_(new QButtonGroup(this)),
      panels_(new QStackedWidget(this)) {
    const auto recommended = SpeechModelCatalogue::find(
        recommendedModel(Translations::resolve(settings_.appLanguage())));
    model_ = services_.model.value_or(*recommended);
    if (services_.modelUrl.isEmpty())
        services_.modelUrl = SpeechModelCatalogue::url(model_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    //% "On this computer"
    addChoice(Engine::local, qtTrId("onboarding.engine.local"));
    //% "Your own key or server"
    addChoice(Engine::own, qtTrId("onboarding.engine.own"));
    //% "Quillo's service"
    addChoice(Engine::backend, qtTrId("onboarding.engine.backend"));
    for (QAbstractButton* button : choices_->buttons())
        layout->addWidget(button);
    new RadioGroupTabFocus(choices_);
    panels_->addWidget(buildLocalPanel());
    panels_->addWidget(buildOwnPanel());
    panels_->addWidget(buildBackendPanel());
    layout->addSpacing(6);
    layout->addWidget(panels_);

    connect(choices_, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            refresh();
    });
    if (SpeechModelDownloader* downloader = services_.downloader) {
        connect(downloader, &SpeechModelDownloader::progress, this,
                [this](qint64 got, qint64 total) {
                    if (!downloadIsOurs() || total <= 0)
                        return;
                    progress_->setValue(int(got * 1000 / total));
                    //% "Downloading… %1 %"
                    localStatus_->setText(
                        qtTrId("onboarding.engine.local.progress").arg(got * 100 / total));
                });
        connect(downloader, &SpeechModelDownloader::finished, this,
                &SpeechEngineStep::downloadFinished);
        connect(downloader, &SpeechModelDownloader::failed, this, [this](const QString& reason) {
            refresh();
            localStatus_->setText(reason);
        });
        connect(downloader, &SpeechModelDownloader::started, this, &SpeechEngineStep::refresh);
        connect(downloader, &SpeechModelDownloader::cancelled, this, [this] {
            localStatus_->clear();
            refresh();
        });
    }

    if (settings_.localTranscription() && services_.processorShortfall.isEmpty()) {
        choose(Engine::local);
    } else {
        choose(settings_.useBackend() ? Engine::backend : Engine::own);
    }
}

QString SpeechEngineStep::recommendedModel(const QString& interfaceLanguage) {
    // The graphics card is not looked for yet at the first start (it costs a moment): the
    // processor's choice, a small download; the settings recommend larger models with a card.
    return SpeechModelRecommendation::forMachine(interfaceLanguage, false).constFirst().model;
}

QRadioButton* SpeechEngineStep::addChoice(Engine engine, const QString& text) {
    auto* button = new QRadioButton(text, this);
    button->setObjectName(QStringLiteral("engineChoice%1").arg(int(engine)));
    choices_->addButton(button, int(engine));
    return button;
}

QRadioButton* SpeechEngineStep::choiceButton(Engine engine) const {
    return static_cast<QRadioButton*>(choices_->button(int(engine)));
}

SpeechEngineStep::Engine SpeechEngineStep::engine() const {
    return Engine(qMax(0, choices_->checkedId()));
}

void SpeechEngineStep::choose(Engine engine) {
    if (QAbstractButton* button = choices_->button(int(engine)); button && button->isEnabled()) {
        button->setChecked(true);
    }
    refresh();
}

QWidget* SpeechEngineStep::buildLocalPanel() {
    auto* panel = new QWidget;
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(24, 0, 0, 0);
    column->setSpacing(8);
    const auto lighter = SpeechModelCatalogue::find(
        model_.multilingual ? QStringLiteral("tiny") : QStringLiteral("tiny.en"));
    //% "Private, works offline. Recommended: %1 (%2); lighter and less accurate: %3 (%4), in the
    // settings."
    column->addWidget(wrappedLabel(qtTrId("onboarding.engine.local.offer")
                                       .arg(model_.name, sizeText(model_.bytes),
                                            lighter ? lighter->name : QString(),
                                            lighter ? sizeText(lighter->bytes) : QString())));
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    download_ = new PillButton(qtTrId("local.download"), PillButton::Style::primary);
    download_->setObjectName(QStringLiteral("engineDownloadButton"));
    cancel_ = new PillButton(qtTrId("local.cancel"), PillButton::Style::secondary);
    cancel_->setObjectName(QStringLiteral("engineCancelButton"));
    progress_ = new QProgressBar;
    progress_->setRange(0, 1000);
    progress_->setTextVisible(false);
    //% "Download progress"
    progress_->setAccessibleName(qtTrId("local.download_progress"));
    row->addWidget(download_);
    row->addWidget(progress_, 1);
    row->addWidget(cancel_);
    row->addStretch(1);
    column->addLayout(row);
    localStatus_ = wrappedLabel();
    localStatus_->setObjectName(QStringLiteral("engineLocalStatus"));
    column->addWidget(localStatus_);
    column->addStretch(1);
    connect(download_, &QAbstractButton::clicked, this, &SpeechEngineStep::startDownload);
    connect(cancel_, &QAbstractButton::clicked, this, [this] {
        if (services_.downloader && downloadIsOurs())
            services_.downloader->cancel();
    });
    if (!services_.processorShortfall.isEmpty()) {
        //% "This processor lacks %1, which speech to text on this computer needs."
        localStatus_->setText(
            qtTrId("onboarding.engine.local.unsupported").arg(services_.processorShortfall));
    }
    return panel;
}

QWidget* SpeechEngineStep::buildOwnPanel() {
    auto* panel = new QWidget;
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(24, 0, 0, 0);
    column->setSpacing(8);
    const QString keyTitle = qtTrId("connection.openai_key");
    key_ = new SecretField(keyTitle);
    key_->setObjectName(QStringLiteral("engineKeyField"));
    key_->setText(settings_.openAIAPIKey());
    column->addWidget(key_);
    address_ = new QLineEdit;
    address_->setObjectName(QStringLiteral("engineAddressField"));
    address_->setAccessibleName(qtTrId("connection.base_url"));
    address_->setPlaceholderText(QString::fromLatin1(WhisperService::apiHost));
    const QString stored = settings_.openAIBaseURL();
    address_->setText(stored == QLatin1String(WhisperService::apiHost) ? QString() : stored);
    column->addWidget(address_);
    auto* row = new QHBoxLayout;
    checkResult_ = wrappedLabel();
    checkResult_->setObjectName(QStringLiteral("engineCheckResult"));
    check_ = new PillButton(qtTrId("connection.check"), PillButton::Style::secondary);
    check_->setObjectName(QStringLiteral("engineCheckButton"));
    row->addWidget(checkResult_, 1);
    row->addWidget(check_);
    column->addLayout(row);
    column->addStretch(1);

    // A changed key or address needs a new check before it counts as working.
    connect(key_, &SecretField::edited, this, [this](const QString& text) {
        settings_.setOpenAIAPIKey(text);
        checkPassed_ = false;
        checkResult_->clear();
        refresh();
    });
    connect(address_, &QLineEdit::textEdited, this, [this](const QString& text) {
        settings_.setOpenAIBaseURL(text.trimmed());
        checkPassed_ = false;
        checkResult_->clear();
        refresh();
    });
    connect(check_, &QAbstractButton::clicked, this, [this] { runCheck(); });
    return panel;
}

QWidget* SpeechEngineStep::buildBackendPanel() {
    auto* panel = new QWidget;
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(24, 0, 0, 0);
    column->addWidget(wrappedLabel(qtTrId("connection.route.backend_info")));
    column->addStretch(1);
    return panel;
}

bool SpeechEngineStep::modelInstalled() const {
    return QFile::exists(LocalTranscriber::modelPath(model_.name));
}

bool SpeechEngineStep::downloadIsOurs() const {
    return services_.downloader && services_.downloader->isRunning() &&
           services_.downloader->destination() == LocalTranscriber::modelPath(model_.name);
}

void SpeechEngineStep::startDownload() {
    SpeechModelDownloader* downloader = services_.downloader;
    if (!downloader || downloader->isRunning())
        return;
    localStatus_->clear();
    downloader->start(services_.modelUrl, LocalTranscriber::modelPath(model_.name), model_.bytes,
                      model_.sha256);
}

void SpeechEngineStep::downloadFinished(const QString& path) {
    if (path != LocalTranscriber::modelPath(model_.name))
        return;
    // Verified and in place: dictation uses it from now on.
    settings_.setLocalModel(model_.name);
    settings_.setLocalTranscription(true);
    refresh();
}

// Runs on the main thread; the onboarding may be closed while the request is out.
QCoro::Task<void> SpeechEngineStep::runCheck() {
    QPointer<SpeechEngineStep> self(this);
    check_->setEnabled(false);
    checkResult_->setText(qtTrId("connection.check.running"));
    const ConnectionCheck::Result result =
        co_await ConnectionCheck::run(LLMProvider::openai, settings_.openAIBaseURL(),
                                      settings_.openAIAPIKey(), services_.transport);
    if (!self)
        co_return;
    check_->setEnabled(true);
    checkResult_->setText(ConnectionSettingsContent::resultText(result));
    checkPassed_ = result.outcome == ConnectionCheck::Outcome::success;
    refresh();
}

bool SpeechEngineStep::isUsable() const {
    switch (engine()) {
        case Engine::local:
            return services_.processorShortfall.isEmpty() && modelInstalled();
        case Engine::own:
            return checkPassed_;
        case Engine::backend:
            return true;
    }
    return false;
}

void SpeechEngineStep::apply() {
    switch (engine()) {
        case Engine::local:
            settings_.setLocalModel(model_.name);
            settings_.setLocalTranscription(true);
            break;
        case Engine::own:
            settings_.setLocalTranscription(false);
            settings_.setUseBackend(false);
            break;
        case Engine::backend:
            settings_.setLocalTranscription(false);
            settings_.setUseBackend(true);
            break;
    }
}

void SpeechEngineStep::refresh() {
    panels_->setCurrentIndex(int(engine()));
    const bool supported = services_.processorShortfall.isEmpty();
    choiceButton(Engine::local)->setEnabled(supported);
    const bool running = downloadIsOurs();
    const bool installed = modelInstalled();
    download_->setVisible(supported && !running && !installed);
    download_->setEnabled(services_.downloader && !services_.downloader->isRunning());
    cancel_->setVisible(running);
    progress_->setVisible(running);
    if (installed) {
        //% "%1 is ready on this computer."
        localStatus_->setText(qtTrId("onboarding.engine.local.ready").arg(model_.name));
    }
    if (!running)
        progress_->setValue(0);
    const bool usable = isUsable();
    if (usable != wasUsable_) {
        wasUsable_ = usable;
        emit usableChanged(usable);
    }
}
