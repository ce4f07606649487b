#include "base/Log.h"

#include <QMutex>

#include <cstdio>

namespace {

QMutex& sinkMutex() {
    static QMutex mutex;
    return mutex;
}

Log::Sink& currentSink() {
    static Log::Sink sink;
    return sink;
}

}  // namespace

namespace Log {

void line(const QString& text) {
    QMutexLocker lock(&sinkMutex());
    if (currentSink()) {
        currentSink()(text);
        return;
    }
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

Sink setSink(Sink sink) {
    QMutexLocker lock(&sinkMutex());
    Sink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

}  // namespace Log
