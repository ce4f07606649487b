#pragma once

#include "models/DictationMode.h"
#include "services/http/HttpTransport.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <qcoro/qcorotask.h>

#include <functional>
#include <optional>

class AppSettings;
class DeviceIdentity;
class LiveTranscription;
class LocalTranscriber;
class QuilloAPIService;

// Speech to finished text on the route the settings choose: this computer's engine, the
// user's own OpenAI-compatible server, or the backend; then formatted for the mode unless the
// mode is raw. Settings are read when a dictation starts its route.
class TranscriptionRoute : public QObject {
    Q_OBJECT
public:
    // Where the remote services are reached; the application leaves the hosts empty (their
    // public addresses and the built-in backend URL), tests point them at a loopback server.
    struct RemoteServices {
        HttpTransport transport;
        QString openAIHost;
        QString anthropicHost;
        QString backendURL;
    };

    struct Dependencies {
        AppSettings& settings;
        const DeviceIdentity& deviceIdentity;
        RemoteServices remoteServices;
        // Speech to text on this computer, used while "local_transcription" is on.
        LocalTranscriber* localTranscription = nullptr;
    };

    // What one dictation asks of the route.
    struct Request {
        DictationMode mode = DictationMode::email;
        std::optional<QString> language;
        // True once the user has cancelled the dictation: its transcript is then dropped.
        std::function<bool()> isCancelled;
        // On this computer's engine, the stretches transcribed while the user spoke, and the
        // whole recording's PCM whose rest they still need.
        QPointer<LiveTranscription> live;
        QByteArray liveRecording;
    };

    explicit TranscriptionRoute(Dependencies dependencies, QObject* parent = nullptr);

    // The transcript, formatted unless the mode is raw; none when the transcript was empty or
    // the dictation was cancelled. Throws the route's errors.
    QCoro::Task<std::optional<QString>> transcribeAndFormat(QByteArray audio, Request request);

    // A dictation may follow: the local model loads while the user speaks.
    void prepare();
    // Whether the settings send the speech to this computer's engine.
    bool usesLocalEngine() const;
    // Stops the engine's work for a cancelled dictation, so the next one finds it free.
    void abortLocal();

private:
    QCoro::Task<std::optional<QString>> transcribeLocallyAndFormat(QByteArray audio,
                                                                   Request request);
    std::optional<QString> acceptTranscript(const QString& heard, const Request& request,
                                            QLatin1String emptyLine) const;
    static bool skipsFormatting(DictationMode mode);
    QuilloAPIService backendService() const;
    QCoro::Task<std::optional<QString>> formatWithBackend(QString transcript, DictationMode mode);
    QCoro::Task<std::optional<QString>> formatWithProvider(QString transcript, DictationMode mode);

    Dependencies deps_;
};
