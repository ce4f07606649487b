#include "platform/wayland/SelectionReader.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

struct SelectionReader::Pipe {
    QString format;
    int fd = -1;
    QByteArray bytes;
    bool complete = false;
    bool tooLarge = false;
    std::unique_ptr<QSocketNotifier> notifier;
};

SelectionReader::SelectionReader(QDeadlineTimer deadline, qsizetype maxTotalBytes, QObject* parent)
    : QObject(parent), deadline_(deadline), maxTotalBytes_(maxTotalBytes) {}

SelectionReader::~SelectionReader() {
    for (auto& pipe : pipes_)
        closePipe(*pipe);
}

void SelectionReader::add(const QString& format, int readFd) {
    auto pipe = std::make_unique<Pipe>();
    pipe->format = format;
    pipe->fd = readFd;
    ::fcntl(readFd, F_SETFL, ::fcntl(readFd, F_GETFL) | O_NONBLOCK);
    pipes_.push_back(std::move(pipe));
}

void SelectionReader::leaveOut(const QString& format) {
    auto pipe = std::make_unique<Pipe>();
    pipe->format = format;
    pipe->tooLarge = true;
    pipes_.push_back(std::move(pipe));
}

bool SelectionReader::readAvailable(Pipe& pipe) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(pipe.fd, buffer, sizeof buffer);
        if (got > 0) {
            if (totalBytes_ + got > maxTotalBytes_) {
                totalBytes_ -= pipe.bytes.size();
                pipe.bytes.clear();
                pipe.tooLarge = true;
                return true;  // too large: left out, not truncated
            }
            pipe.bytes.append(buffer, got);
            totalBytes_ += got;
            continue;
        }
        if (got == 0) {
            pipe.complete = true;
            return true;
        }
        if (errno == EINTR)
            continue;
        return errno != EAGAIN && errno != EWOULDBLOCK;
    }
}

void SelectionReader::closePipe(Pipe& pipe) {
    pipe.notifier.reset();
    if (pipe.fd >= 0)
        ::close(pipe.fd);
    pipe.fd = -1;
}

void SelectionReader::readBlocking() {
    for (;;) {
        std::vector<pollfd> waiting;
        std::vector<Pipe*> owners;
        for (auto& pipe : pipes_) {
            if (pipe->fd < 0)
                continue;
            waiting.push_back({pipe->fd, POLLIN, 0});
            owners.push_back(pipe.get());
        }
        const qint64 remaining = deadline_.remainingTime();
        if (waiting.empty() || remaining == 0)
            break;
        const int ready = ::poll(waiting.data(), waiting.size(), int(remaining));
        if (ready < 0 && errno != EINTR)
            break;
        for (size_t i = 0; i < waiting.size(); ++i) {
            if (waiting[i].revents != 0 && readAvailable(*owners[i]))
                closePipe(*owners[i]);
        }
    }
    giveUp();
}

void SelectionReader::start() {
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &SelectionReader::giveUp);
    timer_->start(int(qMax<qint64>(0, deadline_.remainingTime())));
    for (auto& pipe : pipes_) {
        Pipe* raw = pipe.get();
        if (raw->fd < 0)
            continue;
        raw->notifier = std::make_unique<QSocketNotifier>(raw->fd, QSocketNotifier::Read);
        connect(raw->notifier.get(), &QSocketNotifier::activated, this, [this, raw] {
            if (readAvailable(*raw)) {
                closePipe(*raw);
                finishIfDone();
            }
        });
    }
    // Nothing to read at all: report on the next turn of the loop, after the caller waits.
    QTimer::singleShot(0, this, &SelectionReader::finishIfDone);
}

void SelectionReader::finishIfDone() {
    for (const auto& pipe : pipes_) {
        if (pipe->fd >= 0)
            return;
    }
    giveUp();
}

void SelectionReader::giveUp() {
    for (auto& pipe : pipes_)
        closePipe(*pipe);
    if (timer_)
        timer_->stop();
    if (finished_)
        return;
    finished_ = true;
    emit finished();
}

Pasteboard::Contents SelectionReader::contents() const {
    Pasteboard::Contents contents;
    for (const auto& pipe : pipes_) {
        if (pipe->complete)
            contents.append({pipe->format, pipe->bytes});
    }
    return contents;
}

QStringList SelectionReader::incomplete() const {
    QStringList formats;
    for (const auto& pipe : pipes_) {
        if (!pipe->complete)
            formats.append(pipe->format);
    }
    return formats;
}

QList<Pasteboard::GivenUp> SelectionReader::givenUp() const {
    QList<Pasteboard::GivenUp> givenUp;
    for (const auto& pipe : pipes_) {
        if (!pipe->complete) {
            givenUp.append({pipe->format, pipe->tooLarge ? Pasteboard::GivenUp::Reason::TooLarge
                                                         : Pasteboard::GivenUp::Reason::TooSlow});
        }
    }
    return givenUp;
}
