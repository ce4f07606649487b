#include "platform/desktop/XdgAutostartLoginItemService.h"
#include "support/RequireEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Status = LoginItemService::Status;
using Installation = XdgAutostartLoginItemService::Installation;

class XdgAutostartTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString path(const QString& relative) const { return dir.filePath(relative); }

    // An executable file standing in for a quillo binary.
    QString makeBinary(const QString& relative) const {
        const QString file = path(relative);
        QDir().mkpath(QFileInfo(file).path());
        QFile binary(file);
        binary.open(QIODevice::WriteOnly);
        binary.write("#!/bin/sh\n");
        binary.close();
        binary.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return file;
    }

    XdgAutostartLoginItemService service(const QString& executable,
                                         Installation installation = {}) const {
        return XdgAutostartLoginItemService(executable, path("config"), installation);
    }

    QString entry() const {
        QFile file(path("config/autostart/quillo.desktop"));
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    }

    void writeEntry(const QByteArray& contents) const {
        QDir().mkpath(path("config/autostart"));
        QFile file(path("config/autostart/quillo.desktop"));
        file.open(QIODevice::WriteOnly);
        file.write(contents);
    }
};

}  // namespace

TEST_F(XdgAutostartTest, RegisterWritesAnEnabledEntryAndUnregisterRemovesIt) {
    auto login = service(makeBinary("build/src/quillo"));
    EXPECT_EQ(login.status(), Status::notRegistered);

    QString error;
    ASSERT_TRUE(login.registerItem(&error)) << error.toStdString();
    EXPECT_EQ(login.entryPath(), path("config/autostart/quillo.desktop"));
    EXPECT_EQ(login.status(), Status::enabled);
    EXPECT_EQ(QFileInfo(path("config")).permissions() & 0x0777, QFile::Permissions(0x0700))
        << "a folder the XDG rules create is the owner's alone";
    EXPECT_EQ(QFileInfo(login.entryPath()).permissions() & 0x0777, QFile::Permissions(0x0644));
    EXPECT_TRUE(entry().startsWith("[Desktop Entry]\nType=Application\n"));
    EXPECT_TRUE(entry().contains("\nExec=" + path("build/src/quillo") + "\n"));

    ASSERT_TRUE(login.registerItem()) << "registering twice rewrites the same entry";
    ASSERT_TRUE(login.unregisterItem(&error)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(login.entryPath()));
    EXPECT_EQ(login.status(), Status::notRegistered);
    EXPECT_TRUE(login.unregisterItem()) << "nothing to remove is no failure";
}

TEST_F(XdgAutostartTest, ExecNamesTheInstalledBinaryOrTheBuildTreeOne) {
    const QString installed = makeBinary("usr/bin/quillo");
    const QString built = makeBinary("work tree/build/src/quillo");
    const Installation onPath{path("usr/bin"), {path("elsewhere"), path("usr/bin")}};

    EXPECT_EQ(service(installed, onPath).execCommand(), "quillo");
    EXPECT_EQ(service(installed, {path("usr/bin"), {}}).execCommand(), installed)
        << "installed but not on the search path: its absolute path";
    EXPECT_EQ(service(built, onPath).execCommand(), '"' + built + '"')
        << "a build-tree run never starts the installed quillo at login";

    QDir().mkpath(path("bin"));
    QFile::link(installed, path("bin/quillo"));
    EXPECT_EQ(service(installed, {QString(), {path("bin")}}).execCommand(), "quillo")
        << "a link on the search path to the running binary is the same file";
}

TEST_F(XdgAutostartTest, ExecQuotingFollowsTheDesktopEntryRules) {
    const QString odd = makeBinary(QStringLiteral("a \"b\" $c 100% d\\e/quillo"));
    const QString quotedDir = path(QStringLiteral("a \\\"b\\\" \\$c 100%% d\\\\e/quillo"));
    auto login = service(odd);
    EXPECT_EQ(login.execCommand(), '"' + quotedDir + '"');
    ASSERT_TRUE(login.registerItem());
    // The file's own string escapes double each backslash of the Exec quoting once more.
    EXPECT_TRUE(entry().contains("\nExec=\"" + QString(quotedDir).replace("\\", "\\\\") + "\"\n"))
        << entry().toStdString();

    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    REQUIRE_ENVIRONMENT(!validator.isEmpty(), "desktop-file-validate (desktop-file-utils)");
    QProcess validate;
    validate.start(validator, {login.entryPath()});
    ASSERT_TRUE(validate.waitForFinished(10000));
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().toStdString();
}

TEST_F(XdgAutostartTest, StatusFollowsTheSessionsOwnSwitches) {
    auto login = service(makeBinary("quillo"));
    writeEntry("[Desktop Entry]\nType=Application\nExec=quillo\nHidden=true\n");
    EXPECT_EQ(login.status(), Status::requiresApproval) << "switched off in the session settings";
    writeEntry("[Desktop Entry]\nExec=quillo\nX-GNOME-Autostart-enabled = false\n");
    EXPECT_EQ(login.status(), Status::requiresApproval);
    writeEntry(
        "# by hand\n[Desktop Entry]\nExec=quillo\nX-GNOME-Autostart-enabled=true\n"
        "[Desktop Action x]\nHidden=true\n");
    EXPECT_EQ(login.status(), Status::enabled) << "only the main group counts";
    writeEntry("not a desktop file");
    EXPECT_EQ(login.status(), Status::notFound) << "present, but no session would start it";

    ASSERT_TRUE(login.registerItem());
    EXPECT_EQ(login.status(), Status::enabled) << "registering switches it back on";
}

TEST_F(XdgAutostartTest, FailuresSayWhyAndWriteNothing) {
    QString error;
    EXPECT_FALSE(service(QString()).registerItem(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(service("relative/quillo").registerItem());
    EXPECT_FALSE(QFile::exists(path("config"))) << "nothing written for an unknown binary";

    QFile blocker(path("config"));
    blocker.open(QIODevice::WriteOnly);
    blocker.close();
    error.clear();
    EXPECT_FALSE(service(makeBinary("quillo")).registerItem(&error));
    EXPECT_TRUE(error.contains(path("config/autostart"))) << error.toStdString();
    EXPECT_EQ(service(makeBinary("quillo")).status(), Status::notRegistered);
}

TEST(XdgAutostartConfigHome, IgnoresARelativeXdgConfigHome) {
    const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/somewhere");
    EXPECT_EQ(XdgAutostartLoginItemService::defaultConfigHome(), "/tmp/somewhere");
    qputenv("XDG_CONFIG_HOME", "relative");
    EXPECT_EQ(XdgAutostartLoginItemService::defaultConfigHome(), QDir::homePath() + "/.config");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(XdgAutostartLoginItemService::defaultConfigHome(), QDir::homePath() + "/.config");
    if (wasSet) {
        qputenv("XDG_CONFIG_HOME", saved);
    }
}
