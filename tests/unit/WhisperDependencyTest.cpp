#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// The speech engine's pinned source is checked before anything is extracted or built from it.
namespace {

const QString script = QStringLiteral(QUILLO_SOURCE_DIR "/scripts/build-whisper.sh");

struct ScriptRun {
    int exitCode;
    QString errors;
};

ScriptRun runScript(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("bash"), QStringList{script} + arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

// The verified tarball that the set-up kept beside the build, if this machine built it.
QString cachedTarball() {
    QProcess process;
    process.start(QStringLiteral("bash"), {script, QStringLiteral("--print-prefix")});
    process.waitForFinished(60000);
    const QString prefix = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    const QString tarball = prefix + QStringLiteral("/source.tgz");
    return !prefix.isEmpty() && QFile::exists(tarball) ? tarball : QString();
}

TEST(WhisperDependencyTest, RefusesATarballThatIsNotThePinnedOne) {
    QTemporaryDir dir;
    const QString fake = dir.filePath("nodejs-whisper-0.3.1.tgz");
    QFile file(fake);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not the package");
    file.close();
    const ScriptRun run = runScript({QStringLiteral("--verify"), fake});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("integrity check failed")) << run.errors.toStdString();
}

TEST(WhisperDependencyTest, OneChangedByteInTheGenuineTarballIsRefused) {
    const QString genuine = cachedTarball();
    if (genuine.isEmpty()) {
        GTEST_SKIP() << "whisper.cpp comes from the system here: no pinned tarball";
    }
    EXPECT_EQ(runScript({QStringLiteral("--verify"), genuine}).exitCode, 0);

    QTemporaryDir dir;
    const QString tampered = dir.filePath("tampered.tgz");
    ASSERT_TRUE(QFile::copy(genuine, tampered));
    QFile file(tampered);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(file.size() / 2);
    char byte = 0;
    file.getChar(&byte);
    file.seek(file.size() / 2);
    file.putChar(static_cast<char>(byte ^ 0x01));
    file.close();
    const ScriptRun run = runScript({QStringLiteral("--verify"), tampered});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("integrity check failed"));
}

}  // namespace
