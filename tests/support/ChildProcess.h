#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <sys/resource.h>

#include <chrono>
#include <functional>
#include <optional>

// How a child process starts; the defaults suit the tests' helper programs.
struct ChildOptions {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // In a process group of its own, ended as a whole: for programs that fork, as wl-copy does.
    bool ownProcessGroup = false;
    // The most descriptors the child may hold open; 0 leaves the limit as it is.
    rlim_t fileLimit = 0;
};

// A helper program beside a test (a text field, a clipboard owner, a second Quillo...), ended
// with it. Its standard error goes to the test's; its standard output is read line by line while
// the test waits with the event loop running.
class ChildProcess {
public:
    ChildProcess(const QString& program, const QStringList& arguments = {},
                 const ChildOptions& options = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits until the child printed `line` or ended; true when it printed it.
    bool waitForLine(const QString& line,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // The first line that starts with `prefix` (any line for an empty one), waiting likewise.
    std::optional<QString> waitForLineStartingWith(
        const QString& prefix, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // What it printed so far, a line each, only the line break taken off: a pasted text may end
    // in a space.
    QStringList lines();

    bool waitForFinished(std::chrono::milliseconds timeout);
    int exitCode() const { return process_.exitCode(); }
    // Ends it at once, as a crash would.
    void kill();
    QProcess& process() { return process_; }

    struct Result {
        bool finished = false;
        bool crashed = false;  // ended by a signal; exitCode then means nothing
        int exitCode = -1;
        QByteArray out;
    };
    // Runs a tool such as wl-paste to its end while the event loop runs, since it may read from
    // this process; not finished when it took longer than `timeout`.
    static Result run(
        const QString& program, const QStringList& arguments,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
        std::chrono::milliseconds timeout = std::chrono::seconds(5));

private:
    void readLines();
    std::optional<QString> waitForLineWhere(const std::function<bool(const QString&)>& wanted,
                                            std::chrono::milliseconds timeout);

    QProcess process_;
    QStringList lines_;
    bool ownProcessGroup_ = false;
};
