#include "services/local/SpeechModelCatalogue.h"
#include "services/local/SpeechModelDownloader.h"
#include "support/LoopbackHttpServer.h"

#include <QCryptographicHash>
#include <QFile>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray modelBytes() {
    QByteArray bytes;
    for (int i = 0; i < 200000; ++i) {
        bytes.append(static_cast<char>(i * 7 % 251));
    }
    return bytes;
}

QByteArray sha256(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class SpeechModelDownloaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // Runs one download to its end; the signal that ended it.
    QString run(const QByteArray& checksum = sha256(modelBytes())) {
        QSignalSpy done(&downloader, &SpeechModelDownloader::finished);
        QSignalSpy failed(&downloader, &SpeechModelDownloader::failed);
        QSignalSpy cancelled(&downloader, &SpeechModelDownloader::cancelled);
        downloader.start(QUrl(server.baseURL() + "/ggml-test.bin"), destination, body.size(),
                         checksum);
        for (int i = 0; i < 100 && done.isEmpty() && failed.isEmpty() && cancelled.isEmpty(); ++i) {
            done.wait(100);
        }
        if (!failed.isEmpty()) {
            failure = failed.first().first().toString();
            return "failed";
        }
        return done.isEmpty() ? (cancelled.isEmpty() ? "timeout" : "cancelled") : "finished";
    }

    QTemporaryDir dir;
    QString destination = dir.filePath("models/ggml-test.bin");
    QByteArray body = modelBytes();
    QString failure;
    LoopbackHttpServer server;
    QNetworkAccessManager network;
    SpeechModelDownloader downloader{network};
};

TEST_F(SpeechModelDownloaderTest, DownloadsVerifiesAndRenamesIntoPlaceWithProgress) {
    server.enqueue(ScriptedResponse::text(200, body));
    QSignalSpy progress(&downloader, &SpeechModelDownloader::progress);
    EXPECT_EQ(run(), "finished");
    EXPECT_EQ(readAll(destination), body);
    EXPECT_FALSE(QFile::exists(SpeechModelDownloader::partialPath(destination)));
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last().at(0).toLongLong(), body.size());
    EXPECT_EQ(progress.last().at(1).toLongLong(), body.size());
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests()[0].method, "GET");
    EXPECT_EQ(server.requests()[0].path, "/ggml-test.bin");
    EXPECT_FALSE(server.requests()[0].hasHeader("Range"));
}

TEST_F(SpeechModelDownloaderTest, ChecksumMismatchRemovesThePartAndKeepsThePreviousModel) {
    QDir().mkpath(dir.filePath("models"));
    writeFile(destination, "the model the user had");
    server.enqueue(ScriptedResponse::text(200, body));
    EXPECT_EQ(run(sha256("something else")), "failed");
    EXPECT_TRUE(failure.contains("checksum"));
    EXPECT_EQ(readAll(destination), "the model the user had");
    EXPECT_FALSE(QFile::exists(SpeechModelDownloader::partialPath(destination)));
}

TEST_F(SpeechModelDownloaderTest, DroppedConnectionKeepsThePartAndTheNextStartResumesIt) {
    ScriptedResponse dropped = ScriptedResponse::text(200, body);
    dropped.ending = ScriptedResponse::Ending::dropMidBody;
    server.enqueue(dropped);
    EXPECT_EQ(run(), "failed");
    EXPECT_TRUE(failure.startsWith("Download interrupted")) << failure.toStdString();
    EXPECT_FALSE(QFile::exists(destination));
    const QByteArray part = readAll(SpeechModelDownloader::partialPath(destination));
    ASSERT_GT(part.size(), 0);
    ASSERT_LT(part.size(), body.size());

    ScriptedResponse rest = ScriptedResponse::text(206, body.mid(part.size()));
    rest.headers.append({"Content-Range", "bytes " + QByteArray::number(part.size()) + "-" +
                                              QByteArray::number(body.size() - 1) + "/" +
                                              QByteArray::number(body.size())});
    server.enqueue(rest);
    EXPECT_EQ(run(), "finished") << failure.toStdString();
    EXPECT_EQ(server.requests().last().header("Range"),
              "bytes=" + QByteArray::number(part.size()) + "-");
    EXPECT_EQ(readAll(destination), body);
}

TEST_F(SpeechModelDownloaderTest, AServerThatIgnoresTheRangeStartsTheFileOver) {
    QDir().mkpath(dir.filePath("models"));
    writeFile(SpeechModelDownloader::partialPath(destination), "stale bytes");
    server.enqueue(ScriptedResponse::text(200, body));
    EXPECT_EQ(run(), "finished");
    EXPECT_TRUE(server.requests()[0].hasHeader("Range"));
    EXPECT_EQ(readAll(destination), body);
}

// A part planted as a link to another file of the user's: that file is neither truncated nor
// written to, and the download refuses to go on.
TEST_F(SpeechModelDownloaderTest, APartThatIsASymlinkIsNeitherFollowedNorWritten) {
    QDir().mkpath(dir.filePath("models"));
    const QString victim = dir.filePath("precious.txt");
    writeFile(victim, "the user's notes");
    ASSERT_TRUE(QFile::link(victim, SpeechModelDownloader::partialPath(destination)));
    server.enqueue(ScriptedResponse::text(200, body));
    server.enqueue(ScriptedResponse::text(200, body));
    EXPECT_EQ(run(), "failed");
    EXPECT_EQ(readAll(victim), "the user's notes");
    EXPECT_FALSE(QFile::exists(destination));

    // A link to a file bigger than the model would have been truncated to nothing.
    writeFile(victim, body + body);
    EXPECT_EQ(run(), "failed");
    EXPECT_EQ(readAll(victim), body + body);
}

// A server that cannot resume (416, or a range other than the one asked for) makes the part
// useless: it is deleted and the file fetched again from the start, once.
TEST_F(SpeechModelDownloaderTest, ARefusedResumeStartsOverOnce) {
    QDir().mkpath(dir.filePath("models"));
    const QByteArray wrongRange =
        "bytes 0-" + QByteArray::number(body.size() - 1) + "/" + QByteArray::number(body.size());
    ScriptedResponse refused = ScriptedResponse::text(416, "");
    ScriptedResponse otherRange = ScriptedResponse::text(206, body);
    otherRange.headers.append({"Content-Range", wrongRange});
    for (const ScriptedResponse& answer : {refused, otherRange}) {
        SCOPED_TRACE(answer.status);
        QFile::remove(destination);
        writeFile(SpeechModelDownloader::partialPath(destination), body.left(1000));
        const qsizetype before = server.requests().size();
        server.enqueue(answer);
        server.enqueue(ScriptedResponse::text(200, body));
        EXPECT_EQ(run(), "finished") << failure.toStdString();
        EXPECT_EQ(readAll(destination), body);
        ASSERT_EQ(server.requests().size(), before + 2);
        EXPECT_EQ(server.requests()[before].header("Range"), "bytes=1000-");
        EXPECT_FALSE(server.requests()[before + 1].hasHeader("Range"));
    }

    QFile::remove(destination);
    writeFile(SpeechModelDownloader::partialPath(destination), body.left(1000));
    const qsizetype before = server.requests().size();
    server.enqueue(refused);
    server.enqueue(refused);
    server.enqueue(ScriptedResponse::text(200, body));
    EXPECT_EQ(run(), "failed");
    EXPECT_EQ(server.requests().size(), before + 2) << "starts over once, not for ever";
    EXPECT_FALSE(QFile::exists(SpeechModelDownloader::partialPath(destination)));
}

TEST_F(SpeechModelDownloaderTest, AnErrorStatusIsReportedAndNothingIsInstalled) {
    server.enqueue(ScriptedResponse::text(404, "Entry not found"));
    EXPECT_EQ(run(), "failed");
    EXPECT_EQ(failure, "The server answered 404");
    EXPECT_FALSE(QFile::exists(destination));
}

TEST_F(SpeechModelDownloaderTest, CancelRemovesThePartAndKeepsThePreviousModel) {
    QDir().mkpath(dir.filePath("models"));
    writeFile(destination, "previous");
    ScriptedResponse slow = ScriptedResponse::text(200, body);
    slow.ending = ScriptedResponse::Ending::neverAnswer;
    server.enqueue(slow);
    QTimer::singleShot(200, &downloader, [this] { downloader.cancel(); });
    EXPECT_EQ(run(), "cancelled");
    EXPECT_EQ(readAll(destination), "previous");
    EXPECT_FALSE(QFile::exists(SpeechModelDownloader::partialPath(destination)));
    EXPECT_FALSE(downloader.isRunning());
}

TEST_F(SpeechModelDownloaderTest, AFullDiskSaysSoAndLeavesThePreviousModel) {
    QDir().mkpath(dir.filePath("models"));
    writeFile(destination, "previous");
    server.enqueue(ScriptedResponse::text(200, body));
    // The kernel refuses writes past this size as it does on a full disk (EFBIG instead of
    // ENOSPC); the signal it would send is ignored so the write returns the error.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 50000;
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const QString outcome = run();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(outcome, "failed");
    EXPECT_TRUE(failure.startsWith("Not enough disk space")) << failure.toStdString();
    EXPECT_EQ(readAll(destination), "previous");
    EXPECT_FALSE(QFile::exists(SpeechModelDownloader::partialPath(destination)));
}

TEST_F(SpeechModelDownloaderTest, PlainHttpToAnotherHostIsRefused) {
    QSignalSpy failed(&downloader, &SpeechModelDownloader::failed);
    downloader.start(QUrl("http://example.org/ggml-base.en.bin"), destination, 1, "00");
    ASSERT_EQ(failed.size(), 1);
    EXPECT_FALSE(downloader.isRunning());
}

TEST(SpeechModelCatalogueTest, OffersTheDictationModelsOverHttpsWithChecksums) {
    for (const char* name :
         {"tiny.en", "base.en", "small.en", "base", "small", "large-v3-turbo-q5_0"}) {
        const auto entry = SpeechModelCatalogue::find(name);
        ASSERT_TRUE(entry) << name;
        EXPECT_EQ(entry->sha256.size(), 64);
        EXPECT_GT(entry->bytes, 70'000'000);
        EXPECT_EQ(SpeechModelCatalogue::url(*entry).scheme(), "https");
        EXPECT_TRUE(
            SpeechModelCatalogue::url(*entry).path().endsWith(QString("/ggml-") + name + ".bin"));
    }
    EXPECT_FALSE(SpeechModelCatalogue::find("base.en")->multilingual);
    EXPECT_FALSE(SpeechModelCatalogue::find("medium-unknown"));
}

}  // namespace
