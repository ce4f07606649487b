#include "app/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
constexpr char activateMessage[] = "activate\n";
constexpr std::chrono::milliseconds retryInterval{25};
constexpr char hotkeyPressMessage[] = "hotkey-press\n";
constexpr char hotkeyReleaseMessage[] = "hotkey-release\n";
}  // namespace

QString SingleInstance::defaultSocketPath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists()) {
        return runtime + QStringLiteral("/quillo.socket");
    }
    return QDir::tempPath() + QStringLiteral("/quillo-%1.socket").arg(::getuid());
}

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), socketPath_(std::move(socketPath)), lock_(lockPath()) {
    // A running instance may run for days: only a lock whose process is gone is stale.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (server_) {
        server_->close();
    }
}

SingleInstance::Claim SingleInstance::claim(std::chrono::milliseconds answerWait) {
    const QDeadlineTimer deadline(answerWait);
    for (;;) {
        if (lock_.tryLock(0)) {
            // An instance that runs without the lock (started by an older build) still answers.
            if (handOverToRunningInstance()) {
                lock_.unlock();
                return Claim::handedOver;
            }
            return Claim::primary;
        }
        if (lock_.error() != QLockFile::LockFailedError) {
            // The folder allows no lock file: the socket alone decides, as well as it can.
            return handOverToRunningInstance() ? Claim::handedOver : Claim::primary;
        }
        // The holder is alive (QLockFile took over a dead one's lock above); it may be
        // between taking the lock and listening.
        if (handOverToRunningInstance()) {
            return Claim::handedOver;
        }
        if (deadline.hasExpired()) {
            return Claim::noAnswer;
        }
        QThread::msleep(static_cast<unsigned long>(retryInterval.count()));
    }
}

// Blocking is fine here: this runs before the second instance has any window or hotkey.
bool SingleInstance::handOverToRunningInstance() {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(1000)) {
        return false;
    }
    socket.write(activateMessage);
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen() {
    if (!lock_.isLocked() && !lock_.tryLock(0)) {
        return false;
    }
    {
        // Holding the lock, a socket that still answers belongs to an instance without one.
        QLocalSocket probe;
        probe.connectToServer(socketPath_);
        if (probe.waitForConnected(200)) {
            return false;
        }
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Nobody answers on it, so it was left by an instance that died: take its place.
    QLocalServer::removeServer(socketPath_);
    if (!server_->listen(socketPath_)) {
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return true;
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const auto readMessage = [this, socket] {
            const QByteArray message = socket->readAll();
            if (message.contains("activate")) {
                emit activationRequested();
            }
            if (message.startsWith(hotkeyPressMessage)) {
                emit hotkeyPressRequested();
            } else if (message.startsWith(hotkeyReleaseMessage)) {
                emit hotkeyReleaseRequested();
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, readMessage);
        // The message may have come in before the connection was accepted.
        if (socket->bytesAvailable() > 0) {
            readMessage();
        }
    }
}

bool SingleInstance::sendHotkeyEvent(const QString& socketPath, bool pressed) {
    const QByteArray path = QFile::encodeName(socketPath);
    sockaddr_un address{};
    if (path.size() >= qsizetype(sizeof address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const char* message = pressed ? hotkeyPressMessage : hotkeyReleaseMessage;
    const size_t length = std::strlen(message);
    const bool sent =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, message, length, MSG_NOSIGNAL) == ssize_t(length);
    ::close(fd);
    return sent;
}
