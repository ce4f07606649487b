#pragma once

#include <QByteArray>
#include <QObject>

#include <memory>

class QSocketNotifier;

// Writes one answer into the pipe a reader handed us, without blocking: what the pipe cannot take
// at once is written when it drains. Closes the pipe when done, when the reader goes away, or
// with its parent; a closed reader never raises SIGPIPE.
class PipeWriter final : public QObject {
    Q_OBJECT
public:
    // Takes ownership of fd. Returns at once; the writer deletes itself when done.
    static void write(int fd, QByteArray bytes, QObject* parent);
    ~PipeWriter() override;

private:
    PipeWriter(int fd, QByteArray bytes, QObject* parent);
    // True once everything is written or the reader is gone.
    bool writeAvailable();

    int fd_;
    QByteArray bytes_;
    qsizetype written_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_;
};
