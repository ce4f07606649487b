#pragma once

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// Downloads one model file when the user asks: over https with the platform's certificate
// checks, into "<destination>.part", resuming a part left by a dropped connection. The file is
// renamed into place only after its size and SHA-256 match; until then an existing file at the
// destination stays as it was. A mismatching, cancelled or disk-full part is removed, and so is
// one the server refuses to resume (the file is then fetched once more from its start). The
// part is only ever a regular file of its own: a link or anything else there is refused.
class SpeechModelDownloader : public QObject {
    Q_OBJECT
public:
    explicit SpeechModelDownloader(QNetworkAccessManager& network, QObject* parent = nullptr);
    ~SpeechModelDownloader() override;

    // Only https, or plain http to this machine (the tests' loopback server).
    void start(const QUrl& url, const QString& destination, qint64 expectedBytes,
               const QByteArray& sha256Hex);
    void cancel();
    bool isRunning() const { return running_; }
    // Where the running (or last) download goes.
    const QString& destination() const { return destination_; }

    static QString partialPath(const QString& destination);

signals:
    // A download began; it ends with one of finished, failed or cancelled.
    void started();
    void progress(qint64 received, qint64 total);
    void finished(const QString& path);
    // A short reason for the user; what was there before is untouched.
    void failed(const QString& reason);
    void cancelled();

private:
    // Opens the part and sends the request; false when it failed (and said so).
    void begin(bool announce);
    bool openPart();
    bool resumeWasRefused(const QNetworkReply& reply) const;
    void onReadyRead();
    void onFinished();
    bool acceptAnswer();
    bool checkAnswer();
    void verifyAndInstall();
    void fail(const QString& reason, bool keepPart);

    QNetworkAccessManager& network_;
    QPointer<QNetworkReply> reply_;
    QFile part_;
    QString partPath_;
    QUrl url_;
    QString destination_;
    qint64 expected_ = 0;
    QByteArray sha256_;
    qint64 offset_ = 0;
    int answer_ = 0;  // 0 not seen yet, 1 accepted, -1 refused
    bool running_ = false;
    bool writeFailed_ = false;
    bool cancelling_ = false;
    bool startedOver_ = false;  // a refused resume already led to one fresh start
};
