#include "app/SingleInstance.h"
#include "support/ChildProcess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <vector>

using namespace std::chrono_literals;

namespace {

// A socket of its own in a fresh folder.
class SingleInstanceTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    const QString socket = dir.filePath(QStringLiteral("quillo.socket"));
};

// One started Quillo, as far as the one-instance decision goes (tests/support/child).
std::unique_ptr<ChildProcess> start(const QString& socket, int startupMs, int lifetimeMs = 20000,
                                    rlim_t fileLimit = 0) {
    return std::make_unique<ChildProcess>(
        QStringLiteral(QUILLO_BINARY_DIR "/tests/single_instance_child"),
        QStringList{socket, QString::number(startupMs), QString::number(lifetimeMs)},
        ChildOptions{.fileLimit = fileLimit});
}

QString firstLine(ChildProcess& started) {
    return started.waitForLineStartingWith({}, 15s).value_or(QString());
}

// An instance of this process that listens, as the running Quillo does.
class SingleInstanceRunningTest : public SingleInstanceTest {
protected:
    void SetUp() override { ASSERT_TRUE(running.listen()); }

    SingleInstance running{socket};
};

}  // namespace

TEST_F(SingleInstanceTest, TwoStartsWithinMillisecondsGiveExactlyOneInstance) {
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        QTemporaryDir roundDir;
        const QString roundSocket = roundDir.filePath("quillo.socket");
        // Both begin before either has finished building itself (300 ms).
        auto first = start(roundSocket, 300);
        auto second = start(roundSocket, 300);
        const QString a = firstLine(*first);
        const QString b = firstLine(*second);
        EXPECT_EQ(QStringList({a, b}).count("primary listening"), 1)
            << a.toStdString() << " / " << b.toStdString();
        EXPECT_EQ(QStringList({a, b}).count("handed-over"), 1);
        ChildProcess& primary = a == "primary listening" ? *first : *second;
        ChildProcess& other = a == "primary listening" ? *second : *first;
        EXPECT_TRUE(other.waitForFinished(15s));
        EXPECT_EQ(other.exitCode(), 0);
        EXPECT_TRUE(primary.waitForLine("activated", 15s))
            << "the hand-over reached the one instance";
        EXPECT_EQ(primary.lines().count("activated"), 1);
    }
}

TEST_F(SingleInstanceTest, ALockAndSocketLeftByAKilledInstanceDoNotBlockTheNextStart) {
    {
        auto crashed = start(socket, 0);
        ASSERT_TRUE(crashed->waitForLine("primary listening", 15s));
        crashed->kill();
    }
    ASSERT_TRUE(QFileInfo::exists(socket)) << "a killed process leaves its socket";
    ASSERT_TRUE(QFileInfo::exists(socket + ".lock")) << "and its lock file";

    auto next = start(socket, 0);
    EXPECT_EQ(firstLine(*next), "primary listening");
    auto later = start(socket, 0);
    EXPECT_EQ(firstLine(*later), "handed-over");
    EXPECT_TRUE(next->waitForLine("activated", 15s));
}

TEST_F(SingleInstanceTest, ALiveSocketIsNeverRemovedAndAnswersTheHandOver) {
    // An instance that answers without holding the lock (an older build still running).
    QLocalServer live;
    ASSERT_TRUE(live.listen(socket));
    QSignalSpy connected(&live, &QLocalServer::newConnection);

    SingleInstance newcomer(socket);
    EXPECT_EQ(newcomer.claim(), SingleInstance::Claim::handedOver);
    EXPECT_FALSE(newcomer.listen()) << "its socket is not taken over";
    EXPECT_TRUE(connected.count() > 0 || connected.wait(3000));

    QLocalSocket client;
    client.connectToServer(socket);
    EXPECT_TRUE(client.waitForConnected(1000)) << "the live instance still answers";
}

TEST_F(SingleInstanceTest, AnInstanceThatHoldsTheLockButNeverAnswersIsNotJoinedByASecond) {
    SingleInstance running(socket);
    ASSERT_EQ(running.claim(), SingleInstance::Claim::primary);  // and never listens

    auto second = start(socket, 0);
    EXPECT_EQ(firstLine(*second), "no-answer");
    EXPECT_TRUE(second->waitForFinished(5s));
    EXPECT_EQ(second->exitCode(), 3);
}

// Connections that never say anything, more than the file limit allows: they once made an accept
// fail, after which Qt closed the server for good and no hand-over or hotkey got in any more.
TEST_F(SingleInstanceTest, SilentConnectionsBeyondTheFileLimitDoNotShutTheSocket) {
    auto primary = start(socket, 0, 60000, /*fileLimit=*/64);
    ASSERT_TRUE(primary->waitForLine("primary listening", 15s));

    std::vector<std::unique_ptr<QLocalSocket>> silent;
    for (int i = 0; i < 100; ++i) {
        silent.push_back(std::make_unique<QLocalSocket>());
        silent.back()->connectToServer(socket);
        silent.back()->waitForConnected(1000);
    }
    auto second = start(socket, 0);
    EXPECT_EQ(firstLine(*second), "handed-over");
    EXPECT_TRUE(primary->waitForLine("activated", 15s))
        << "the hand-over reached the running instance";
    EXPECT_TRUE(SingleInstance::sendHotkeyEvent(socket, true));
}

TEST_F(SingleInstanceRunningTest, HotkeyPressAndReleaseReachItInOrderAndOpenNoWindow) {
    QSignalSpy pressed(&running, &SingleInstance::hotkeyPressRequested);
    QSignalSpy released(&running, &SingleInstance::hotkeyReleaseRequested);
    QSignalSpy activated(&running, &SingleInstance::activationRequested);

    ASSERT_TRUE(SingleInstance::sendHotkeyEvent(socket, true));
    ASSERT_TRUE(pressed.wait(2000));
    ASSERT_TRUE(SingleInstance::sendHotkeyEvent(socket, false));
    ASSERT_TRUE(released.wait(2000));
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_EQ(released.count(), 1);
    EXPECT_EQ(activated.count(), 0) << "a hotkey event opens no window";
}

// GNOME's shortcut runs the small sender on every key repeat: each run is one press, and a
// sender without a running Quillo, or given no socket, says so by its exit status.
TEST_F(SingleInstanceRunningTest, TheSmallSenderHandsOverOnePressPerRun) {
    QSignalSpy pressed(&running, &SingleInstance::hotkeyPressRequested);
    const QString sender = QStringLiteral(QUILLO_BINARY_DIR "/src/quillo-hotkey-press");
    for (int run = 0; run < 3; ++run) {
        EXPECT_EQ(ChildProcess::run(sender, {socket}).exitCode, 0);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return pressed.count() == 3; }, 2000)) << pressed.count();

    EXPECT_EQ(ChildProcess::run(sender, {socket + QStringLiteral(".gone")}).exitCode, 1);
    EXPECT_EQ(ChildProcess::run(sender, {}).exitCode, 2);
}

TEST_F(SingleInstanceTest, WithoutARunningInstanceTheHotkeyCommandFailsAtOnce) {
    EXPECT_FALSE(SingleInstance::sendHotkeyEvent(socket, true));
    const QString tooLong = QStringLiteral("/tmp/") + QString(200, QLatin1Char('x'));
    EXPECT_FALSE(SingleInstance::sendHotkeyEvent(tooLong, true))
        << "longer than a socket address holds";
}

// Only an exact line counts: "activate" inside other text, or a line with more after it, is no
// request to open the settings.
TEST_F(SingleInstanceRunningTest, OnlyAnExactLineIsARequest) {
    QSignalSpy activated(&running, &SingleInstance::activationRequested);
    QSignalSpy pressed(&running, &SingleInstance::hotkeyPressRequested);
    for (const QByteArray& message :
         {QByteArray("deactivate\n"), QByteArray("activate now\n"),
          QByteArray("hotkey-press\nactivate\n"), QByteArray("activate\n")}) {
        QLocalSocket client;
        client.connectToServer(socket);
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
TEST_F(SingleInstanceRunningTest, ASocketRemovedUnderTheRunningInstanceIsListenedOnAgain) {
    ASSERT_TRUE(QFile::remove(socket));
    QSignalSpy pressed(&running, &SingleInstance::hotkeyPressRequested);
    const QDeadlineTimer deadline(10000);
    while (!SingleInstance::sendHotkeyEvent(socket, true) && !deadline.hasExpired()) {
        QTest::qWait(100);
    }
    EXPECT_TRUE(pressed.count() == 1 || pressed.wait(2000));
}

// Without XDG_RUNTIME_DIR the socket goes to a folder of the user's own, never to a name in the
// shared temporary folder that another user could take first.
TEST_F(SingleInstanceTest, WithoutARuntimeDirectoryTheSocketIsInAPrivateFolder) {
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
