#include "support/ChildProcess.h"

#include "support/EventLoop.h"

#include <csignal>

#include <unistd.h>

using namespace std::chrono_literals;

ChildProcess::ChildProcess(const QString& program, const QStringList& arguments,
                           const ChildOptions& options)
    : ownProcessGroup_(options.ownProcessGroup) {
    process_.setProcessEnvironment(options.environment);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.setChildProcessModifier(
        [group = options.ownProcessGroup, fileLimit = options.fileLimit] {
            if (group) {
                ::setpgid(0, 0);
            }
            if (fileLimit > 0) {
                const rlimit limit{fileLimit, fileLimit};
                ::setrlimit(RLIMIT_NOFILE, &limit);
            }
        });
    process_.start(program, arguments);
}

ChildProcess::~ChildProcess() {
    if (process_.state() == QProcess::NotRunning) {
        return;
    }
    if (ownProcessGroup_) {
        const auto group = -static_cast<pid_t>(process_.processId());
        ::kill(group, SIGTERM);
        if (!process_.waitForFinished(2000)) {
            ::kill(group, SIGKILL);
        }
    } else {
        process_.kill();
    }
    process_.waitForFinished(3000);
}

void ChildProcess::readLines() {
    while (process_.canReadLine()) {
        QByteArray line = process_.readLine();
        line.chop(1);
        lines_.append(QString::fromUtf8(line));
    }
}

QStringList ChildProcess::lines() {
    readLines();
    return lines_;
}

bool ChildProcess::waitForLine(const QString& line, std::chrono::milliseconds timeout) {
    return waitForLineWhere([&](const QString& printed) { return printed == line; }, timeout)
        .has_value();
}

std::optional<QString> ChildProcess::waitForLineStartingWith(const QString& prefix,
                                                             std::chrono::milliseconds timeout) {
    return waitForLineWhere([&](const QString& printed) { return printed.startsWith(prefix); },
                            timeout);
}

std::optional<QString> ChildProcess::waitForLineWhere(
    const std::function<bool(const QString&)>& wanted, std::chrono::milliseconds timeout) {
    std::optional<QString> found;
    waitUntil(
        [&] {
            // What a child that ended printed last is read all the same.
            const bool ended = process_.state() == QProcess::NotRunning;
            readLines();
            for (const QString& line : std::as_const(lines_)) {
                if (wanted(line)) {
                    found = line;
                    return true;
                }
            }
            return ended;
        },
        timeout);
    return found;
}

bool ChildProcess::waitForFinished(std::chrono::milliseconds timeout) {
    return waitUntil([&] { return process_.state() == QProcess::NotRunning; }, timeout);
}

void ChildProcess::kill() {
    ::kill(static_cast<pid_t>(process_.processId()), SIGKILL);
    waitForFinished(5s);
}

ChildProcess::Result ChildProcess::run(const QString& program, const QStringList& arguments,
                                       const QProcessEnvironment& environment,
                                       std::chrono::milliseconds timeout) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Result result;
    result.finished = waitUntil([&] { return process.state() == QProcess::NotRunning; }, timeout);
    if (!result.finished) {
        process.kill();
        process.waitForFinished(1000);
        return result;
    }
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    return result;
}
