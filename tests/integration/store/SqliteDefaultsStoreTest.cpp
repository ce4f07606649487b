#include "platform/desktop/SqliteDefaultsStore.h"
#include "StoreLockHolder.h"
#include "support/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString binary(const char* name) {
    return QStringLiteral(QUILLO_BINARY_DIR) + QLatin1Char('/') + QLatin1String(name);
}

// Long enough for SQLite to retry, short enough that a lock the test holds fails at once.
constexpr std::chrono::milliseconds shortBusyTimeout{50};

class SqliteDefaultsStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath("quillo/defaults.sqlite3"); }
};

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString fallbackLine(const QString& path) {
    return QStringLiteral(
               "[Quillo] Could not open the preferences store at %1; "
               "preferences are kept in memory until Quillo quits")
        .arg(path);
}

mode_t permissions(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 0777;
}

}  // namespace

TEST_F(SqliteDefaultsStoreTest, KeepsTypesPresenceAndValuesAcrossInstances) {
    {
        SqliteDefaultsStore store(path());
        store.setString("s", QString::fromUtf8("Grüße — \"quoted\""));
        store.setBoolean("b", false);
        store.setInteger("i", -9007199254740993);
        store.setData("d", QByteArray("\x00\xff\x10", 3));
        store.setData("empty", QByteArray());
        store.setString("gone", "x");
        store.remove("gone");
    }
    SqliteDefaultsStore store(path());
    EXPECT_EQ(store.string("s"), QString::fromUtf8("Grüße — \"quoted\""));
    EXPECT_TRUE(store.contains("b"));
    EXPECT_FALSE(store.boolean("b"));
    EXPECT_FALSE(store.string("b").has_value()) << "a Boolean is no string";
    EXPECT_EQ(store.integer("i"), -9007199254740993);
    EXPECT_EQ(store.data("d"), QByteArray("\x00\xff\x10", 3));
    EXPECT_EQ(store.data("empty"), QByteArray()) << "an empty data value is still present";
    EXPECT_FALSE(store.contains("gone"));
    EXPECT_EQ(store.keys(), (QStringList{"b", "d", "empty", "i", "s"}));
    store.setInteger("s", 3);
    EXPECT_FALSE(store.string("s").has_value()) << "a write replaces the type too";

    EXPECT_EQ(permissions(QFileInfo(path()).absolutePath()), 0700u);
    EXPECT_EQ(permissions(path()), 0600u);
}

TEST_F(SqliteDefaultsStoreTest, AWriteByAnotherProcessIsSeenByTheNextRead) {
    SqliteDefaultsStore store(path());
    store.setString("whisper_language", "auto");
    EXPECT_EQ(store.string("whisper_language"), "auto");

    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.path());
    tool.setProcessEnvironment(env);
    tool.start(binary("src/quillo-defaults"), {"write", "whisper_language", "-string", "de"});
    ASSERT_TRUE(tool.waitForFinished(10000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();

    EXPECT_EQ(store.string("whisper_language"), "de");
}

TEST_F(SqliteDefaultsStoreTest, AWriterKilledMidWriteLeavesAReadableStore) {
    {
        SqliteDefaultsStore store(path());
        store.setString("keep", "me");
    }
    for (int round = 0; round < 3; ++round) {
        QProcess writer;
        writer.start(binary("tests/defaults_writer_child"), {path()});
        ASSERT_TRUE(writer.waitForReadyRead(10000));
        // Let it write for a while (it prints once it has written), then kill it mid-write.
        writer.waitForFinished(150 + 100 * round);
        ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
        writer.waitForFinished(5000);

        LogCapture log;
        SqliteDefaultsStore store(path());
        EXPECT_TRUE(store.movedAsidePath().isEmpty()) << "the store must not be damaged";
        EXPECT_EQ(store.string("keep"), "me");
        EXPECT_GE(store.integer("counter"), 0);
        EXPECT_TRUE(store.data("blob").has_value());
        EXPECT_TRUE(log.lines().isEmpty());
    }
}

TEST_F(SqliteDefaultsStoreTest, ADamagedFileIsMovedAsideNotOverwritten) {
    QDir().mkpath(QFileInfo(path()).absolutePath());
    const QByteArray garbage =
        QByteArray("this is not a database, but the user's data\n").repeated(100);
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(garbage);
    }
    LogCapture log;
    SqliteDefaultsStore store(path());
    ASSERT_FALSE(store.movedAsidePath().isEmpty());
    QFile moved(store.movedAsidePath());
    ASSERT_TRUE(moved.open(QIODevice::ReadOnly));
    EXPECT_EQ(moved.readAll(), garbage) << "the old bytes survive where the log line says";
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().contains(store.movedAsidePath()));

    store.setString("fresh", "start");
    EXPECT_EQ(SqliteDefaultsStore(path()).string("fresh"), "start");
}

TEST_F(SqliteDefaultsStoreTest, AnUnusableLocationStillGivesAWorkingStoreForTheSession) {
    QFile blocker(dir.filePath("quillo"));  // a file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    LogCapture log;
    SqliteDefaultsStore store(path());
    store.setBoolean("show_overlay", false);
    EXPECT_TRUE(store.contains("show_overlay"));
    EXPECT_FALSE(log.lines().isEmpty());
}

TEST_F(SqliteDefaultsStoreTest,
       AStoreLockedByAnotherProcessIsLeftUntouchedAndTheSessionRunsInMemory) {
    {
        SqliteDefaultsStore store(path());
        store.setString("keep", "me");
    }
    {
        const StoreLockHolder holder(path(), /*exclusive=*/true);
        LogCapture log;
        SqliteDefaultsStore store(path(), shortBusyTimeout);
        EXPECT_TRUE(store.movedAsidePath().isEmpty()) << "a locked store is not damaged";
        EXPECT_EQ(store.openFailure(), QStringLiteral("database is locked"));
        EXPECT_EQ(log.lines(), QStringList{fallbackLine(path())});
        EXPECT_TRUE(store.setBoolean("show_overlay", false)) << "the session still has a store";
        EXPECT_TRUE(store.contains("show_overlay"));
    }
    EXPECT_EQ(QDir(QFileInfo(path()).absolutePath()).entryList({"*.damaged-*"}), QStringList{});
    SqliteDefaultsStore store(path());
    EXPECT_EQ(store.string("keep"), "me");
    EXPECT_EQ(store.string("holder"), "was here") << "the other process's write went through";
    EXPECT_FALSE(store.contains("show_overlay")) << "the session's writes stayed in memory";
}

// As root, the store file belongs to root and its folder to nobody, who opens it (a store left
// by "sudo quillo" in the user's folder); otherwise the file's mode is taken away from us.
TEST_F(SqliteDefaultsStoreTest, AStoreWeMayNotReadOrWriteIsLeftUntouched) {
    const bool root = ::geteuid() == 0;
    struct Case {
        const char* name;
        mode_t mode;
    };
    const Case cases[] = {{"unreadable", root ? 0600u : 0000u},
                          {"read-only", root ? 0644u : 0444u}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path());
        {
            SqliteDefaultsStore store(path());
            store.setString("keep", "me");
        }
        const QByteArray before = bytesOf(path());
        ASSERT_FALSE(before.isEmpty());
        ::chmod(QFile::encodeName(path()).constData(), c.mode);

        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", dir.path());
        tool.setProcessEnvironment(env);
        const QStringList args{"read", "keep"};
        if (root) {
            ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
            ASSERT_EQ(::chown(QFile::encodeName(QFileInfo(path()).absolutePath()).constData(),
                              65534, 65534),
                      0);
            tool.start("setpriv", QStringList{"--reuid=65534", "--regid=65534", "--clear-groups",
                                              binary("src/quillo-defaults")} +
                                      args);
        } else {
            tool.start(binary("src/quillo-defaults"), args);
        }
        ASSERT_TRUE(tool.waitForFinished(30000));
        const QString out = QString::fromUtf8(tool.readAllStandardOutput());
        const QString err = QString::fromUtf8(tool.readAllStandardError());

        EXPECT_EQ(out.count(fallbackLine(path())), 1) << out.toStdString();
        EXPECT_NE(tool.exitCode(), 0) << "nothing can be read from a store that could not be used";
        EXPECT_TRUE(err.contains("cannot use the preferences store")) << err.toStdString();
        EXPECT_EQ(QDir(QFileInfo(path()).absolutePath()).entryList({"*.damaged-*"}), QStringList{});
        EXPECT_EQ(bytesOf(path()), before) << "the file is where it was, as it was";
        ::chmod(QFile::encodeName(path()).constData(), 0600);
        EXPECT_EQ(SqliteDefaultsStore(path()).string("keep"), "me");
    }
}

// Under "umask 000" a missing configuration folder came out world-writable: every folder the
// store creates is the user's alone, whatever the umask.
TEST_F(SqliteDefaultsStoreTest, FoldersItCreatesArePrivateUnderAnyUmask) {
    const QString config = dir.filePath("config");
    const QString store = config + QStringLiteral("/quillo/defaults.sqlite3");
    const mode_t savedMask = ::umask(0);
    {
        SqliteDefaultsStore created(store);
        created.setString("keep", "me");
    }
    ::umask(savedMask);
    EXPECT_EQ(permissions(config), 0700u);
    EXPECT_EQ(permissions(config + QStringLiteral("/quillo")), 0700u);
    EXPECT_EQ(permissions(store), 0600u);
    EXPECT_EQ(SqliteDefaultsStore(store).string("keep"), "me");
}

// A store that belongs to someone else (left by "sudo", or planted in a shared folder) is not
// ours to trust or to change: refused with a line that says why, and the session runs in memory.
TEST_F(SqliteDefaultsStoreTest, AStoreOwnedByAnotherUserIsRefusedAndLeftAsItWas) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a file to another user needs root";
    }
    {
        SqliteDefaultsStore store(path());
        store.setString("keep", "me");
    }
    const QByteArray file = QFile::encodeName(path());
    ASSERT_EQ(::chown(file.constData(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(file.constData(), 0644), 0);
    const QByteArray before = bytesOf(path());

    LogCapture log;
    SqliteDefaultsStore store(path());
    EXPECT_TRUE(log.lines().contains(
        QStringLiteral("[Quillo] The preferences store %1 belongs to another user (uid 65534); "
                       "Quillo leaves it alone")
            .arg(path())))
        << log.lines().join('\n').toStdString();
    EXPECT_TRUE(log.lines().contains(fallbackLine(path())));
    EXPECT_TRUE(store.setBoolean("show_overlay", false)) << "the session still has a store";
    EXPECT_EQ(store.string("keep"), std::nullopt);
    EXPECT_EQ(bytesOf(path()), before);
    EXPECT_EQ(permissions(path()), 0644u) << "its mode is not changed either";
    struct stat st {};
    ::stat(file.constData(), &st);
    EXPECT_EQ(st.st_uid, 65534u);
}
