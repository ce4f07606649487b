#pragma once

#include "platform/Pasteboard.h"

#include <QDeadlineTimer>
#include <QObject>

#include <memory>
#include <vector>

class QSocketNotifier;
class QTimer;

// Reads the formats of another client's selection from the pipes it writes them into, all at
// once, until each pipe reaches its end or the budget is spent. A format that is not complete by
// then, or that would take the total past the size limit, is left out: a selection owner that
// hangs costs the budget, never more.
class SelectionReader final : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype kMaxTotalBytes = 64 * 1024 * 1024;

    explicit SelectionReader(QDeadlineTimer deadline, qsizetype maxTotalBytes = kMaxTotalBytes,
                             QObject* parent = nullptr);
    ~SelectionReader() override;

    // Takes the read end of a pipe whose write end the owner was handed for this format.
    void add(const QString& format, int readFd);
    // A format not asked for at all (one too many): it is reported as given up, in its place.
    void leaveOut(const QString& format);

    // Blocks the calling thread until done: for callers that cannot wait otherwise.
    void readBlocking();
    // Reads from the event loop; finished() follows once every pipe ended or the budget ran out.
    void start();
    bool isFinished() const { return finished_; }

    // The formats read completely, in the order they were added.
    Pasteboard::Contents contents() const;
    // The formats left out: not complete within the budget, or too large.
    QStringList incomplete() const;
    // The same formats, each with why it was left out.
    QList<Pasteboard::GivenUp> givenUp() const;

signals:
    void finished();

private:
    struct Pipe;
    // Reads what is there; true once this pipe needs nothing more.
    bool readAvailable(Pipe& pipe);
    void closePipe(Pipe& pipe);
    void finishIfDone();
    void giveUp();

    QDeadlineTimer deadline_;
    qsizetype maxTotalBytes_;
    std::vector<std::unique_ptr<Pipe>> pipes_;
    qsizetype totalBytes_ = 0;
    QTimer* timer_ = nullptr;
    bool finished_ = false;
};
