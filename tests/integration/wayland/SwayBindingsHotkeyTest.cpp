#include "SwaySession.h"
#include "TestKeyboard.h"

#include "platform/wayland/SwayBindings.h"
#include "platform/wayland/WaylandConnection.h"
#include "support/RequireEnvironment.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// Stands in for quillo in the bindings: records each option it is run with. Sway runs it as its
// own unprivileged user, so its folder is open to everyone.
class RecordingProgram {
public:
    RecordingProgram() {
        QFile::setPermissions(dir_.path(), QFile::Permissions(0x7777));
        QFile script(program());
        script.open(QIODevice::WriteOnly);
        script.write(QStringLiteral("#!/bin/sh\necho \"$1\" >> %1\n").arg(events()).toUtf8());
        script.close();
        QFile::setPermissions(program(), QFile::Permissions(0x7555));
        QFile log(events());
        log.open(QIODevice::WriteOnly);
        log.close();
        QFile::setPermissions(events(), QFile::Permissions(0x7666));
    }
    QString program() const { return dir_.filePath(QStringLiteral("quillo")); }
    QString events() const { return dir_.filePath(QStringLiteral("events")); }
    QStringList recorded() const {
        QFile log(events());
        log.open(QIODevice::ReadOnly);
        return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir dir_;
};

bool swaymsg(const QString& command) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SWAYSOCK"), qEnvironmentVariable("QUILLO_TEST_SWAYSOCK"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("swaymsg"), {command});
    return process.waitForFinished(5000) && process.exitCode() == 0;
}

class SwayBindingsHotkey : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ENVIRONMENT(RequireEnvironment::hasSway(),
                            "the headless sway of scripts/with-sway.sh");
        lines = SwayBindings::configLines(49, 2048, program.program());
        ASSERT_EQ(lines.size(), 2);
        for (const QString& line : lines)
            ASSERT_TRUE(swaymsg(line)) << line.toStdString();
        ASSERT_TRUE(keyboard.isValid());
    }
    void TearDown() override {
        for (const QString& line : lines) {
            swaymsg(QString(line).replace(QStringLiteral("bindsym"), QStringLiteral("unbindsym")));
        }
    }
    QStringList waitForEvents(int count) {
        waitUntil([&] { return program.recorded().size() >= count; }, 3s);
        runEventLoopFor(200ms);  // and nothing more
        return program.recorded();
    }

    RecordingProgram program;
    QStringList lines;
    WaylandConnection connection{SwaySession::socket()};
    TestKeyboard keyboard{connection};
};

}  // namespace

TEST_F(SwayBindingsHotkey, TheGeneratedLinesRunOnePressAndOneReleasePerHold) {
    keyboard.press(TestKeyboard::leftAlt);
    keyboard.press(TestKeyboard::space);
    EXPECT_EQ(waitForEvents(1), QStringList{QStringLiteral("--hotkey-press")});
    keyboard.release(TestKeyboard::space);
    keyboard.release(TestKeyboard::leftAlt);
    EXPECT_EQ(waitForEvents(2),
              (QStringList{QStringLiteral("--hotkey-press"), QStringLiteral("--hotkey-release")}));
}

TEST_F(SwayBindingsHotkey, ReleasingTheModifierFirstStillEndsTheHold) {
    keyboard.press(TestKeyboard::leftAlt);
    keyboard.press(TestKeyboard::space);
    EXPECT_EQ(waitForEvents(1).size(), 1);
    keyboard.release(TestKeyboard::leftAlt);
    keyboard.release(TestKeyboard::space);
    EXPECT_EQ(waitForEvents(2),
              (QStringList{QStringLiteral("--hotkey-press"), QStringLiteral("--hotkey-release")}));
}
