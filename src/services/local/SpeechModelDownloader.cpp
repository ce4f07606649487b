#include "services/local/SpeechModelDownloader.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int stallTimeoutMs = 30000;

bool isLoopback(const QUrl& url) {
    return url.host() == QLatin1String("127.0.0.1") || url.host() == QLatin1String("localhost") ||
           url.host() == QLatin1String("::1");
}

}  // namespace

SpeechModelDownloader::SpeechModelDownloader(QNetworkAccessManager& network, QObject* parent)
    : QObject(parent), network_(network) {}

SpeechModelDownloader::~SpeechModelDownloader() {
    if (reply_) {
        cancelling_ = true;
        reply_->abort();
        reply_->deleteLater();
    }
}

QString SpeechModelDownloader::partialPath(const QString& destination) {
    return destination + QStringLiteral(".part");
}

void SpeechModelDownloader::start(const QUrl& url, const QString& destination, qint64 expectedBytes,
                                  const QByteArray& sha256Hex) {
    if (running_) {
        return;
    }
    if (url.scheme() != QLatin1String("https") &&
        !(url.scheme() == QLatin1String("http") && isLoopback(url))) {
        emit failed(QStringLiteral("Refused: models are downloaded over https only"));
        return;
    }
    running_ = true;
    url_ = url;
    destination_ = destination;
    expected_ = expectedBytes;
    sha256_ = sha256Hex.toLower();
    startedOver_ = false;
    begin(true);
}

void SpeechModelDownloader::begin(bool announce) {
    answer_ = 0;
    writeFailed_ = false;
    cancelling_ = false;
    if (announce) {
        emit started();
    }
    QDir().mkpath(QFileInfo(destination_).absolutePath());
    partPath_ = partialPath(destination_);
    if (!openPart()) {
        return;
    }
    offset_ = part_.size();
    if (offset_ > expected_) {
        part_.resize(0);
        offset_ = 0;
    }
    if (offset_ == expected_) {
        verifyAndInstall();  // an earlier run got every byte but was stopped before the check
        return;
    }
    QNetworkRequest request(url_);
    request.setTransferTimeout(stallTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    if (offset_ > 0) {
        request.setRawHeader("Range", "bytes=" + QByteArray::number(offset_) + '-');
    }
    reply_ = network_.get(request);
    connect(reply_, &QNetworkReply::readyRead, this, &SpeechModelDownloader::onReadyRead);
    connect(reply_, &QNetworkReply::finished, this, &SpeechModelDownloader::onFinished);
}

// Never through a link, and only a regular file: a part planted as a link to another file of
// the user's would have that file truncated and overwritten.
bool SpeechModelDownloader::openPart() {
    const int fd = ::open(QFile::encodeName(partPath_).constData(),
                          O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int error = errno;
        running_ = false;
        emit failed(error == ELOOP
                        ? QStringLiteral("The partial download is a link; delete it and retry")
                        : QStringLiteral("Cannot write the model folder: ") +
                              QString::fromLocal8Bit(std::strerror(error)));
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        running_ = false;
        emit failed(QStringLiteral("The partial download is not a regular file"));
        return false;
    }
    // Unbuffered: a full disk shows at the write that hits it, not later at close.
    if (!part_.open(fd, QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        running_ = false;
        emit failed(QStringLiteral("Cannot write the model folder: ") + part_.errorString());
        return false;
    }
    return true;
}

void SpeechModelDownloader::cancel() {
    if (!running_) {
        return;
    }
    cancelling_ = true;
    if (reply_) {
        reply_->abort();
    }
}

// The first bytes decide: a 206 continues the part, a 200 starts it over, anything else fails.
bool SpeechModelDownloader::acceptAnswer() {
    if (answer_ == 0) {
        answer_ = checkAnswer() ? 1 : -1;
    }
    return answer_ == 1;
}

bool SpeechModelDownloader::checkAnswer() {
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 206 && offset_ > 0) {
        const QByteArray range = reply_->rawHeader("Content-Range");
        if (range.startsWith("bytes " + QByteArray::number(offset_) + '-')) {
            return true;
        }
    }
    if (status == 200 || status == 206) {
        if (status == 206) {
            return false;  // a range we did not ask for
        }
        part_.resize(0);
        offset_ = 0;
        return true;
    }
    return false;
}

void SpeechModelDownloader::onReadyRead() {
    if (!reply_ || writeFailed_ || cancelling_) {
        return;
    }
    if (!acceptAnswer()) {
        reply_->abort();
        return;
    }
    const QByteArray chunk = reply_->readAll();
    if (part_.write(chunk) != chunk.size()) {
        writeFailed_ = true;
        reply_->abort();
        return;
    }
    emit progress(part_.size(), expected_);
}

void SpeechModelDownloader::onFinished() {
    QNetworkReply* reply = reply_;
    reply_.clear();
    reply->deleteLater();
    if (cancelling_) {
        part_.close();
        QFile::remove(partPath_);
        running_ = false;
        emit cancelled();
        return;
    }
    if (writeFailed_) {
        const QString reason = part_.errorString();
        fail(QStringLiteral("Not enough disk space for the model (%1)").arg(reason), false);
        return;
    }
    if (resumeWasRefused(*reply)) {
        part_.close();
        QFile::remove(partPath_);
        if (!startedOver_) {
            startedOver_ = true;
            begin(false);
            return;
        }
        fail(QStringLiteral("The server cannot resume the download"), false);
        return;
    }
    if (answer_ >= 0 && reply->bytesAvailable() > 0) {
        reply_ = reply;
        onReadyRead();  // the last bytes
        reply_.clear();
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 0 && status != 200 && status != 206) {
        fail(QStringLiteral("The server answered %1").arg(status), true);
        return;
    }
    if (reply->error() != QNetworkReply::NoError || part_.size() < expected_) {
        // Kept: the next start resumes where this one stopped.
        fail(QStringLiteral("Download interrupted: ") + reply->errorString(), true);
        return;
    }
    verifyAndInstall();
}

// 416, or a range other than the one asked for: the part cannot be continued.
bool SpeechModelDownloader::resumeWasRefused(const QNetworkReply& reply) const {
    if (offset_ == 0) {
        return false;
    }
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return status == 416 || (status == 206 && answer_ < 0);
}

// Hashing half a gigabyte takes a while: on a thread of its own.
void SpeechModelDownloader::verifyAndInstall() {
    part_.close();
    const QString path = partPath_;
    if (QFileInfo(path).size() != expected_) {
        fail(QStringLiteral("The downloaded file has the wrong size"), false);
        return;
    }
    auto digest = std::make_shared<QByteArray>();
    QThread* hasher = QThread::create([path, digest] {
        QFile file(path);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (file.open(QIODevice::ReadOnly) && hash.addData(&file)) {
            *digest = hash.result().toHex();
        }
    });
    connect(hasher, &QThread::finished, hasher, &QObject::deleteLater);
    connect(hasher, &QThread::finished, this, [this, path, digest] {
        if (*digest != sha256_) {
            fail(QStringLiteral("The downloaded file does not match its published checksum"),
                 false);
            return;
        }
        // rename() replaces an older file in one step: there is never no model or half a one.
        if (std::rename(QFile::encodeName(path).constData(),
                        QFile::encodeName(destination_).constData()) != 0) {
            fail(QStringLiteral("Cannot move the model into place"), false);
            return;
        }
        running_ = false;
        emit finished(destination_);
    });
    hasher->start();
}

void SpeechModelDownloader::fail(const QString& reason, bool keepPart) {
    part_.close();
    // An empty part has nothing to resume from.
    if (!keepPart || QFileInfo(partPath_).size() == 0) {
        QFile::remove(partPath_);
    }
    running_ = false;
    emit failed(reason);
}
