#include "app/SingleInstance.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

namespace {

// One started Quillo, as far as the one-instance decision goes (tests/support/child).
class Start {
public:
    Start(const QString& socket, int startupMs, int lifetimeMs = 20000) {
        process_.start(QStringLiteral(QUILLO_BINARY_DIR "/tests/single_instance_child"),
                       {socket, QString::number(startupMs), QString::number(lifetimeMs)});
    }
    ~Start() {
        process_.kill();
        process_.waitForFinished(5000);
    }

    // Waits until the child printed `line` or ended; true when it printed it.
    bool awaitLine(const QByteArray& line, int ms = 15000) {
        const QDeadlineTimer deadline(ms);
        while (!output_.split('\n').contains(line)) {
            if (deadline.hasExpired() ||
                (process_.state() == QProcess::NotRunning && process_.bytesAvailable() == 0)) {
                return false;
            }
            process_.waitForReadyRead(50);
            output_ += process_.readAllStandardOutput();
        }
        return true;
    }
    QByteArray firstLine() {
        awaitAnyLine();
        return output_.left(output_.indexOf('\n'));
    }
    int count(const QByteArray& line) const {
        return static_cast<int>(output_.split('\n').count(line));
    }
    bool finished(int ms) { return process_.waitForFinished(ms); }
    int exitCode() const { return process_.exitCode(); }
    void crash() {
        ::kill(static_cast<pid_t>(process_.processId()), SIGKILL);
        process_.waitForFinished(5000);
    }

private:
    void awaitAnyLine() {
        const QDeadlineTimer deadline(15000);
        while (!output_.contains('\n') && !deadline.hasExpired()) {
            process_.waitForReadyRead(50);
            output_ += process_.readAllStandardOutput();
        }
    }

    QProcess process_;
    QByteArray output_;
};

}  // namespace

TEST(SingleInstance, TwoStartsWithinMillisecondsGiveExactlyOneInstance) {
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        QTemporaryDir dir;
        const QString socket = dir.filePath("quillo.socket");
        // Both begin before either has finished building itself (300 ms).
        auto first = std::make_unique<Start>(socket, 300);
        auto second = std::make_unique<Start>(socket, 300);
        const QByteArray a = first->firstLine();
        const QByteArray b = second->firstLine();
        EXPECT_EQ(QList<QByteArray>({a, b}).count("primary listening"), 1)
            << a.data() << " / " << b.data();
        EXPECT_EQ(QList<QByteArray>({a, b}).count("handed-over"), 1);
        Start& primary = a == "primary listening" ? *first : *second;
        Start& other = a == "primary listening" ? *second : *first;
        EXPECT_TRUE(other.finished(15000));
        EXPECT_EQ(other.exitCode(), 0);
        EXPECT_TRUE(primary.awaitLine("activated")) << "the hand-over reached the one instance";
        EXPECT_EQ(primary.count("activated"), 1);
    }
}

TEST(SingleInstance, ALockAndSocketLeftByAKilledInstanceDoNotBlockTheNextStart) {
    QTemporaryDir dir;
    const QString socket = dir.filePath("quillo.socket");
    {
        Start crashed(socket, 0);
        ASSERT_TRUE(crashed.awaitLine("primary listening"));
        crashed.crash();
    }
    ASSERT_TRUE(QFileInfo::exists(socket)) << "a killed process leaves its socket";
    ASSERT_TRUE(QFileInfo::exists(socket + ".lock")) << "and its lock file";

    Start next(socket, 0);
    EXPECT_EQ(next.firstLine(), "primary listening");
    Start later(socket, 0);
    EXPECT_EQ(later.firstLine(), "handed-over");
    EXPECT_TRUE(next.awaitLine("activated"));
}

TEST(SingleInstance, ALiveSocketIsNeverRemovedAndAnswersTheHandOver) {
    QTemporaryDir dir;
    const QString socket = dir.filePath("quillo.socket");
    // An instance that answers without holding the lock (an older build still running).
    QLocalServer live;
    ASSERT_TRUE(live.listen(socket));
    QSignalSpy connected(&live, &QLocalServer::newConnection);

    SingleInstance start(socket);
    EXPECT_EQ(start.claim(), SingleInstance::Claim::handedOver);
    EXPECT_FALSE(start.listen()) << "its socket is not taken over";
    EXPECT_TRUE(connected.count() > 0 || connected.wait(3000));

    QLocalSocket client;
    client.connectToServer(socket);
    EXPECT_TRUE(client.waitForConnected(1000)) << "the live instance still answers";
}

TEST(SingleInstance, AnInstanceThatHoldsTheLockButNeverAnswersIsNotJoinedByASecond) {
    QTemporaryDir dir;
    const QString socket = dir.filePath("quillo.socket");
    SingleInstance running(socket);
    ASSERT_EQ(running.claim(), SingleInstance::Claim::primary);  // and never listens

    Start second(socket, 0);
    EXPECT_EQ(second.firstLine(), "no-answer");
    EXPECT_TRUE(second.finished(5000));
    EXPECT_EQ(second.exitCode(), 3);
}
