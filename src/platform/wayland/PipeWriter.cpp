#include "platform/wayland/PipeWriter.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

// SIGPIPE ends the process when a reader closes early; ignore it for the one write, as the
// disposition is process-wide.
ssize_t writeIgnoringSigpipe(int fd, const char* data, size_t size) {
    struct sigaction ignore = {};
    struct sigaction previous = {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);
    const ssize_t written = ::write(fd, data, size);
    const int savedErrno = errno;
    ::sigaction(SIGPIPE, &previous, nullptr);
    errno = savedErrno;
    return written;
}

}  // namespace

void PipeWriter::write(int fd, QByteArray bytes, QObject* parent) {
    auto* writer = new PipeWriter(fd, std::move(bytes), parent);
    if (writer->writeAvailable()) {
        delete writer;
        return;
    }
    writer->notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    connect(writer->notifier_.get(), &QSocketNotifier::activated, writer, [writer] {
        if (writer->writeAvailable()) {
            writer->notifier_->setEnabled(false);
            writer->deleteLater();
        }
    });
}

PipeWriter::PipeWriter(int fd, QByteArray bytes, QObject* parent)
    : QObject(parent), fd_(fd), bytes_(std::move(bytes)) {
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
}

PipeWriter::~PipeWriter() {
    notifier_.reset();
    ::close(fd_);
}

bool PipeWriter::writeAvailable() {
    while (written_ < bytes_.size()) {
        const ssize_t got = writeIgnoringSigpipe(fd_, bytes_.constData() + written_,
                                                 size_t(bytes_.size() - written_));
        if (got > 0) {
            written_ += got;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        return !(got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
    }
    return true;
}
