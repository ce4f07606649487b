#include "app/SingleInstance.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <memory>
#include <vector>

namespace {

// One started Quillo, as far as the one-instance decision goes (tests/support/child).
class Start {
public:
    // fileLimit: the most descriptors the child may hold open; 0 leaves the limit as it is.
    Start(const QString& socket, int startupMs, int lifetimeMs = 20000, rlim_t fileLimit = 0) {
        if (fileLimit > 0) {
            process_.setChildProcessModifier([fileLimit] {
                const rlimit limit{fileLimit, fileLimit};
                ::setrlimit(RLIMIT_NOFILE, &limit);
            });
        }
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

// Connections that never say anything, more than the file limit allows: they once made an accept
// fail, after which Qt closed the server for good and no hand-over or hotkey got in any more.
TEST(SingleInstance, SilentConnectionsBeyondTheFileLimitDoNotShutTheSocket) {
    QTemporaryDir dir;
    const QString socket = dir.filePath("quillo.socket");
    Start primary(socket, 0, 60000, /*fileLimit=*/64);
    ASSERT_TRUE(primary.awaitLine("primary listening"));

    std::vector<std::unique_ptr<QLocalSocket>> silent;
    for (int i = 0; i < 100; ++i) {
        silent.push_back(std::make_unique<QLocalSocket>());
        silent.back()->connectToServer(socket);
        silent.back()->waitForConnected(1000);
    }
    Start second(socket, 0);
    EXPECT_EQ(second.firstLine(), "handed-over");
    EXPECT_TRUE(primary.awaitLine("activated")) << "the hand-over reached the running instance";
    EXPECT_TRUE(SingleInstance::sendHotkeyEvent(socket, true));
}

// Only an exact line counts: "activate" inside other text, or a line with more after it, is no
// request to open the settings.
TEST(SingleInstance, OnlyAnExactLineIsARequest) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quillo.socket"));
    SingleInstance running(path);
    ASSERT_TRUE(running.listen());
    QSignalSpy activated(&running, &SingleInstance::activationRequested);
    QSignalSpy pressed(&running, &SingleInstance::hotkeyPressRequested);
    for (const QByteArray& message :
         {QByteArray("deactivate\n"), QByteArray("activate now\n"),
          QByteArray("hotkey-press\nactivate\n"), QByteArray("activate\n")}) {
        QLocalSocket client;
        client.connectToServer(path);
        ASSERT_TRUE(client.waitForConnected(1000));
        client.write(message);
        client.waitForBytesWritten(1000);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return client.state() == QLocalSocket::UnconnectedState; }, 3000))
            << "each connection is closed after its line";
    }
    EXPECT_EQ(activated.count(), 1) << "only the last, exact line";
    EXPECT_EQ(pressed.count(), 1) << "one line per connection: what follows it is not read";
}

// A socket file removed under a running instance (a cleaner of old files) is made again.
TEST(SingleInstance, ASocketRemovedUnderTheRunningInstanceIsListenedOnAgain) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quillo.socket"));
    SingleInstance running(path);
    ASSERT_TRUE(running.listen());
    ASSERT_TRUE(QFile::remove(path));
    QSignalSpy pressed(&running, &SingleInstance::hotkeyPressRequested);
    const QDeadlineTimer deadline(10000);
    while (!SingleInstance::sendHotkeyEvent(path, true) && !deadline.hasExpired()) {
        QTest::qWait(100);
    }
    EXPECT_TRUE(pressed.count() == 1 || pressed.wait(2000));
}

// Without XDG_RUNTIME_DIR the socket goes to a folder of the user's own, never to a name in the
// shared temporary folder that another user could take first.
TEST(SingleInstance, WithoutARuntimeDirectoryTheSocketIsInAPrivateFolder) {
    QTemporaryDir dir;
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray savedCache = qgetenv("XDG_CACHE_HOME");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toUtf8());
    const mode_t savedMask = ::umask(0);
    const QString path = SingleInstance::defaultSocketPath();
    ::umask(savedMask);
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
    qputenv("XDG_CACHE_HOME", savedCache);
    if (savedCache.isEmpty()) {
        qunsetenv("XDG_CACHE_HOME");
    }

    const QString folder = QFileInfo(path).absolutePath();
    EXPECT_FALSE(folder == QDir::tempPath()) << path.toStdString();
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(folder).constData(), &st), 0) << folder.toStdString();
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::getuid());
}
