#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class AppSettings;
class SpeechModelDownloader;

// What the tray and the Home section say about speech to text in one line: the engine the
// next dictation uses, a model download under way, or why the chosen route cannot work yet.
class SpeechEngineSummary : public QObject {
    Q_OBJECT
public:
    enum class State { local, ownServer, service, downloading, modelMissing, keyMissing, notSetUp };

    explicit SpeechEngineSummary(AppSettings& settings, QObject* parent = nullptr);

    // Follows this downloader's progress; none shows no download.
    void setDownloader(SpeechModelDownloader* downloader);

    State state() const;
    QString text() const;
    // The chosen route cannot transcribe: the line leads to the Connection section.
    bool needsAttention() const;
    // The symbol that goes with the line.
    QString symbol() const;

signals:
    void changed();

private:
    QString modelName() const;

    AppSettings& settings_;
    QPointer<SpeechModelDownloader> downloader_;
    int percent_ = 0;
};
