#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
constexpr char activateMessage[] = "activate\n";
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
    : QObject(parent), socketPath_(std::move(socketPath)) {}

SingleInstance::~SingleInstance() {
    if (server_) {
        server_->close();
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
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a crashed instance answers nobody; take its place.
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
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            const QByteArray message = socket->readAll();
            if (message.contains("activate")) {
                emit activationRequested();
            }
            if (message.startsWith(hotkeyPressMessage)) {
                emit hotkeyPressRequested();
            } else if (message.startsWith(hotkeyReleaseMessage)) {
                emit hotkeyReleaseRequested();
            }
        });
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
