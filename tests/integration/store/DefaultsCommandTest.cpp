#include "cli/DefaultsCommand.h"
#include "platform/desktop/SqliteDefaultsStore.h"
#include "StoreLockHolder.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

// Long enough for SQLite to retry, short enough that a lock the test holds fails at once.
constexpr std::chrono::milliseconds shortBusyTimeout{50};

struct Result {
    int exitCode;
    QString out;
    QString err;
};

class DefaultsCommandTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    Result run(const QStringList& args, const QByteArray& input = {}) {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", dir.path());
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral(QUILLO_BINARY_DIR "/src/quillo-defaults"), args);
        tool.write(input);
        tool.closeWriteChannel();
        tool.waitForFinished(30000);
        return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
                QString::fromUtf8(tool.readAllStandardError())};
    }
    static Result runInProcess(DefaultsStore& store, const QStringList& args) {
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        const int exitCode = DefaultsCommand(store, outStream, errStream).run(args);
        outStream.flush();
        errStream.flush();
        return {exitCode, out, err};
    }
    SqliteDefaultsStore store() {
        return SqliteDefaultsStore(dir.filePath("quillo/defaults.sqlite3"));
    }
};

}  // namespace

TEST_F(DefaultsCommandTest, WritesAndReadsEveryType) {
    EXPECT_EQ(run({"write", "use_backend", "-bool", "false"}).exitCode, 0);
    EXPECT_EQ(run({"write", "hotkey_keycode", "-int", "61"}).exitCode, 0);
    EXPECT_EQ(run({"write", "whisper_language", "-string", "de"}).exitCode, 0);
    EXPECT_EQ(run({"write", "blob", "-data", "00ff10"}).exitCode, 0);

    EXPECT_EQ(run({"read", "use_backend"}).out, "false\n");
    EXPECT_EQ(run({"read", "hotkey_keycode"}).out, "61\n");
    EXPECT_EQ(run({"read", "whisper_language"}).out, "de\n");
    EXPECT_EQ(run({"read", "blob"}).out, "00ff10\n") << "data reads back as it was written";

    auto s = store();
    EXPECT_EQ(s.value("use_backend"), DefaultsStore::Value(false));
    EXPECT_EQ(s.value("hotkey_keycode"), DefaultsStore::Value(qint64(61)));
    EXPECT_EQ(s.data("blob"), QByteArray("\x00\xff\x10", 3));

    EXPECT_EQ(run({"delete", "blob"}).exitCode, 0);
    EXPECT_FALSE(store().contains("blob"));
}

TEST_F(DefaultsCommandTest, ListingMasksSecrets) {
    run({"write", "openai_api_key", "-string", "sk-proj-verysecretvalue1234"});
    run({"write", "anthropic_api_key", "-string", "short"});
    run({"write", "selected_mode", "-string", "chat"});
    const Result listing = run({"read"});
    EXPECT_EQ(listing.exitCode, 0);
    EXPECT_FALSE(listing.out.contains("verysecret"));
    EXPECT_FALSE(listing.out.contains("short"));
    EXPECT_TRUE(listing.out.contains("openai_api_key = \"********1234\""));
    EXPECT_TRUE(listing.out.contains("selected_mode = \"chat\""));
}

// A key given on standard input never shows in the process list or the shell's history; read
// back, it is masked like in the listing.
TEST_F(DefaultsCommandTest, AKeyComesFromStandardInputAndReadsMasked) {
    EXPECT_EQ(run({"write", "openai_api_key", "-string", "-"}, "sk-from-stdin-5678\n").exitCode, 0);
    EXPECT_EQ(store().string("openai_api_key"), "sk-from-stdin-5678")
        << "the line break that ends the input is not part of the key";
    EXPECT_EQ(run({"read", "openai_api_key"}).out, "\"********5678\"\n");
    EXPECT_FALSE(run({"read"}).out.contains("sk-from-stdin"));

    EXPECT_EQ(run({"write", "whisper_language", "-string", "-"}, "de").exitCode, 0);
    EXPECT_EQ(run({"read", "whisper_language"}).out, "de\n") << "other keys read in full";
}

TEST_F(DefaultsCommandTest, RefusesBadInputAndChangesNothing) {
    run({"write", "hotkey_keycode", "-int", "49"});
    const QList<QStringList> bad{
        {"write", "hotkey_keycode", "-int", "abc"},
        {"write", "use_backend", "-bool", "maybe"},
        {"write", "hotkey_keycode", "-float", "1.5"},
        {"write", "hotkey_keycode", "-int"},
        {"write", "blob", "-data", "abc"},
        {"frobnicate"},
        {},
    };
    for (const QStringList& args : bad) {
        const Result r = run(args);
        EXPECT_NE(r.exitCode, 0) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("quillo-defaults: ") || r.err.startsWith("Usage:"))
            << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    const Result missingRead = run({"read", "no_such_key"});
    EXPECT_EQ(missingRead.exitCode, 1);
    EXPECT_TRUE(missingRead.err.contains("does not exist"));
    EXPECT_EQ(run({"delete", "no_such_key"}).exitCode, 1);

    auto s = store();
    EXPECT_EQ(s.keys(), QStringList{"hotkey_keycode"});
    EXPECT_EQ(s.integer("hotkey_keycode"), 49);
}

TEST_F(DefaultsCommandTest, HelpNeedsNoStore) {
    const Result help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: quillo-defaults"));
    EXPECT_FALSE(QFile::exists(dir.filePath("quillo/defaults.sqlite3")));
}

TEST_F(DefaultsCommandTest, AWriteTheStoreRefusesFailsWithTheReason) {
    ASSERT_EQ(run({"write", "use_backend", "-bool", "true"}).exitCode, 0);
    {
        // Another process in the middle of a write: ours waits its turn, then gives up.
        // The command in this process, on a store that waits only briefly for the lock.
        const StoreLockHolder holder(dir.filePath("quillo/defaults.sqlite3"), /*exclusive=*/false);
        SqliteDefaultsStore waiting(dir.filePath("quillo/defaults.sqlite3"), shortBusyTimeout);
        const Result write = runInProcess(waiting, {"write", "use_backend", "-bool", "false"});
        EXPECT_EQ(write.exitCode, 1);
        EXPECT_EQ(write.err,
                  "quillo-defaults: could not write 'use_backend': database is locked\n");
        const Result removal = runInProcess(waiting, {"delete", "use_backend"});
        EXPECT_EQ(removal.exitCode, 1);
        EXPECT_EQ(removal.err,
                  "quillo-defaults: could not delete 'use_backend': database is locked\n");
    }
    EXPECT_EQ(store().value("use_backend"), DefaultsStore::Value(true)) << "nothing changed";
}
