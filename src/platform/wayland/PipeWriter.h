#pragma once

#include <QByteArray>
#include <QObject>

#include <chrono>
#include <memory>

class QSocketNotifier;
class QTimer;

// Writes one answer into the pipe a reader handed us, without blocking: what the pipe cannot take
// at once is written when it drains. Closes the pipe when done, when the reader goes away, or
// with its parent; a closed reader never raises SIGPIPE. A reader that stops reading is given up
// after a while without progress, so that it cannot hold the answer and the pipe for ever.
class PipeWriter final : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kStallTimeout{10000};

    // Takes ownership of fd. Returns at once; the writer deletes itself when done.
    static void write(int fd, QByteArray bytes, QObject* parent,
                      std::chrono::milliseconds stallTimeout = kStallTimeout);
    ~PipeWriter() override;

private:
    PipeWriter(int fd, QByteArray bytes, QObject* parent);
    // True once everything is written or the reader is gone.
    bool writeAvailable();

    int fd_;
    QByteArray bytes_;
    qsizetype written_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer* stall_ = nullptr;
};
