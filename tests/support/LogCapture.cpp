#include "support/LogCapture.h"

#include <QMutex>

struct LogCapture::Shared {
    mutable QMutex mutex;
    QStringList lines;
};

LogCapture::LogCapture() : shared_(new Shared) {
    Shared* shared = shared_;
    previous_ = Log::setSink([shared](const QString& line) {
        QMutexLocker lock(&shared->mutex);
        shared->lines.append(line);
    });
}

LogCapture::~LogCapture() {
    Log::setSink(std::move(previous_));
    delete shared_;
}

QStringList LogCapture::lines() const {
    QMutexLocker lock(&shared_->mutex);
    return shared_->lines;
}

void LogCapture::clear() {
    QMutexLocker lock(&shared_->mutex);
    shared_->lines.clear();
}
