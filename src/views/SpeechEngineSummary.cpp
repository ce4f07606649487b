#include "views/SpeechEngineSummary.h"

#include "models/AppSettings.h"
#include "services/local/LocalTranscriber.h"
#include "services/local/SpeechModelDownloader.h"

#include <QFile>
#include <QFileInfo>

SpeechEngineSummary::SpeechEngineSummary(AppSettings& settings, QObject* parent)
    : QObject(parent), settings_(settings) {
    connect(&settings_, &AppSettings::changed, this, &SpeechEngineSummary::changed);
}

void SpeechEngineSummary::setDownloader(SpeechModelDownloader* downloader) {
    if (downloader_)
        disconnect(downloader_, nullptr, this, nullptr);
    downloader_ = downloader;
    percent_ = 0;
    if (downloader) {
        connect(downloader, &SpeechModelDownloader::progress, this,
                [this](qint64 received, qint64 total) {
                    const int percent = total > 0 ? int(received * 100 / total) : 0;
                    if (percent == percent_)
                        return;
                    percent_ = percent;
                    emit changed();
                });
        connect(downloader, &SpeechModelDownloader::started, this, [this] {
            percent_ = 0;
            emit changed();
        });
        connect(downloader, &SpeechModelDownloader::cancelled, this, &SpeechEngineSummary::changed);
        connect(downloader, &SpeechModelDownloader::finished, this, &SpeechEngineSummary::changed);
        connect(downloader, &SpeechModelDownloader::failed, this, &SpeechEngineSummary::changed);
    }
    emit changed();
}

QString SpeechEngineSummary::modelName() const {
    // A model chosen as a file is named by its file.
    const QString model = settings_.localModel();
    return model.contains(QLatin1Char('/')) ? QFileInfo(model).fileName() : model;
}

SpeechEngineSummary::State SpeechEngineSummary::state() const {
    if (downloader_ && downloader_->isRunning())
        return State::downloading;
    if (settings_.localTranscription()) {
        if (settings_.localModel().isEmpty())
            return State::notSetUp;
        return QFile::exists(LocalTranscriber::modelPath(settings_.localModel()))
                   ? State::local
                   : State::modelMissing;
    }
    if (settings_.useBackend())
        return State::service;
    return settings_.hasValidAPIKey() ? State::ownServer : State::keyMissing;
}

bool SpeechEngineSummary::needsAttention() const {
    const State current = state();
    return current == State::modelMissing || current == State::keyMissing ||
           current == State::notSetUp;
}

QString SpeechEngineSummary::text() const {
    switch (state()) {
        case State::local:
            //% "Speech to text: this computer (%1)"
            return qtTrId("engine.summary.local").arg(modelName());
        case State::ownServer:
            //% "Speech to text: your own server"
            return qtTrId("engine.summary.own");
        case State::service:
            //% "Speech to text: Quillo's service"
            return qtTrId("engine.summary.service");
        case State::downloading:
            //% "Downloading speech model… %1 %"
            return qtTrId("engine.summary.downloading").arg(percent_);
        case State::modelMissing:
            //% "Speech model missing: %1"
            return qtTrId("engine.summary.model_missing").arg(modelName());
        case State::keyMissing:
            //% "Speech to text: API key missing"
            return qtTrId("engine.summary.key_missing");
        case State::notSetUp:
            //% "Speech to text: not set up"
            return qtTrId("engine.summary.not_set_up");
    }
    return {};
}

QString SpeechEngineSummary::symbol() const {
    if (needsAttention())
        return QStringLiteral("exclamationmark.triangle");
    switch (state()) {
        case State::local:
            return QStringLiteral("desktopcomputer");
        case State::downloading:
            return QStringLiteral("arrow.triangle.2.circlepath");
        default:
            return QStringLiteral("network");
    }
}
