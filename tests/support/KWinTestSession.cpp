#include "support/KWinTestSession.h"

#include "support/X11TestClient.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QProcess>
#include <QTemporaryFile>
#include <QTextStream>

#include <gtest/gtest.h>

#include <algorithm>

#include <csignal>

#include <signal.h>

namespace {

constexpr char kwinService[] = "org.kde.KWin";

QDBusMessage kwinCall(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments = {}) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(kwinService), path, interface, method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
}

// Loads `source` as a KWin script, runs it once and unloads it.
bool runScript(const QString& source) {
    QTemporaryFile file(QStringLiteral("quillo-kwin-script-XXXXXX.js"));
    if (!file.open())
        return false;
    QTextStream(&file) << source;
    file.close();
    static int counter = 0;
    const QString name = QStringLiteral("quillo-test-%1").arg(++counter);
    const QDBusMessage loaded =
        kwinCall(QStringLiteral("/Scripting"), QStringLiteral("org.kde.kwin.Scripting"),
                 QStringLiteral("loadScript"), {file.fileName(), name});
    if (loaded.type() != QDBusMessage::ReplyMessage || loaded.arguments().isEmpty())
        return false;
    if (loaded.arguments().constFirst().toInt() < 0)
        return false;
    // Runs the scripts loaded and not yet running: this one.
    const QDBusMessage ran =
        kwinCall(QStringLiteral("/Scripting"), QStringLiteral("org.kde.kwin.Scripting"),
                 QStringLiteral("start"));
    kwinCall(QStringLiteral("/Scripting"), QStringLiteral("org.kde.kwin.Scripting"),
             QStringLiteral("unloadScript"), {name});
    return ran.type() == QDBusMessage::ReplyMessage;
}

QString quoted(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

}  // namespace

bool KWinTestSession::isRunning() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && bus.isConnected() &&
           bus.interface()->isServiceRegistered(QLatin1String(kwinService)).value();
}

bool KWinTestSession::activateWindow(const QString& caption, std::chrono::milliseconds timeout) {
    const QString source =
        QStringLiteral(
            "const clients = workspace.clientList();\n"
            "for (let i = 0; i < clients.length; ++i) {\n"
            "    if (clients[i].caption == %1) workspace.activeClient = clients[i];\n"
            "}\n")
            .arg(quoted(caption));
    return waitUntil([&] { return runScript(source); }, timeout);
}

bool KWinTestSession::killPortal() {
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    // The desktop's own half goes too, as at an update: it keeps the dead frontend's sessions.
    const QStringList services{QStringLiteral("org.freedesktop.portal.Desktop"),
                               QStringLiteral("org.freedesktop.impl.portal.desktop.kde")};
    for (const QString& service : services) {
        const QDBusReply<uint> pid = bus->servicePid(service);
        if (!pid.isValid() || pid.value() == 0 || ::kill(pid_t(pid.value()), SIGKILL) != 0)
            return false;
    }
    return waitUntil(
        [&] {
            return std::none_of(services.begin(), services.end(), [&](const QString& service) {
                return bus->isServiceRegistered(service).value();
            });
        },
        std::chrono::milliseconds(5000));
}

FakeInputKeyboard::FakeInputKeyboard(const QString& toolPath)
    : process_(std::make_unique<QProcess>()) {
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_->start(toolPath, {});
    if (!process_->waitForStarted(3000))
        return;
    // The tool says "ready" once KWin has granted it fake input.
    ready_ = process_->waitForReadyRead(5000) && process_->readLine().trimmed() == "ready";
}

FakeInputKeyboard::~FakeInputKeyboard() {
    if (process_->state() == QProcess::NotRunning)
        return;
    process_->closeWriteChannel();
    if (!process_->waitForFinished(2000))
        process_->kill();
    process_->waitForFinished(1000);
}

bool FakeInputKeyboard::press(int evdevCode) {
    return command("press " + QByteArray::number(evdevCode) + '\n');
}

bool FakeInputKeyboard::release(int evdevCode) {
    return command("release " + QByteArray::number(evdevCode) + '\n');
}

bool FakeInputKeyboard::typeChord(int modifier, int key) {
    return press(modifier) && press(key) && release(key) && release(modifier);
}

bool FakeInputKeyboard::command(const QByteArray& line) {
    if (!ready_)
        return false;
    process_->write(line);
    if (!process_->waitForBytesWritten(2000))
        return false;
    while (!process_->canReadLine()) {
        if (!process_->waitForReadyRead(3000))
            return false;
    }
    return process_->readLine().trimmed() == "ok";
}
