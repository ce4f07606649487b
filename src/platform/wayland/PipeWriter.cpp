#include "platform/wayland/PipeWriter.h"

#include "base/Log.h"

#include <QSocketNotifier>
#include <QTimer>

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

void PipeWriter::write(int fd, QByteArray bytes, QObject* parent,
                       std::chrono::milliseconds stallTimeout) {
    auto* writer = new PipeWriter(fd, std::move(bytes), parent);
    if (writer->writeAvailable()) {
        delete writer;
        return;
    }
    writer->stall_ = new QTimer(writer);
    writer->stall_->setSingleShot(true);
    writer->stall_->start(stallTimeout);
    connect(writer->stall_, &QTimer::timeout, writer, [writer] {
        Log::line(
            QStringLiteral("[ClipboardManager] A reader of the clipboard stopped reading -- "
                           "its answer is given up"));
        writer->notifier_->setEnabled(false);
        writer->deleteLater();
    });
    writer->notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    connect(writer->notifier_.get(), &QSocketNotifier::activated, writer, [writer] {
        const qsizetype before = writer->written_;
        if (writer->writeAvailable()) {
            writer->notifier_->setEnabled(false);
            writer->stall_->stop();
            writer->deleteLater();
        } else if (writer->written_ != before) {
            writer->stall_->start();  // progress: the reader gets another full while
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
