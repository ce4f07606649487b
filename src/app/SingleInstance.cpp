#include "app/SingleInstance.h"

#include "app/HotkeyMessages.h"

#include "base/Log.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
constexpr char activateMessage[] = "activate\n";
constexpr std::chrono::milliseconds retryInterval{25};
constexpr const char* hotkeyPressMessage = HotkeyMessages::press;
constexpr const char* hotkeyReleaseMessage = HotkeyMessages::release;
// Longer than any message: more without a newline is no message of ours.
constexpr qint64 maxLineLength = 32;

// Only a process of this user may hand over or press the hotkey, and only to one of this user.
bool peerIsThisUser(qintptr fd) {
    ucred peer{};
    socklen_t length = sizeof peer;
    return ::getsockopt(int(fd), SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 &&
           peer.uid == ::getuid();
}

// A folder of the user's alone: created 0700 when missing, a real folder (no link), owned by
// the user and not open to anyone else.
bool isPrivateFolder(const QString& folder) {
    const QByteArray name = QFile::encodeName(folder);
    QDir().mkpath(QFileInfo(folder).absolutePath());
    if (::mkdir(name.constData(), 0700) == 0 && ::chmod(name.constData(), 0700) != 0) {
        return false;
    }
    struct stat st {};
    return ::lstat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 0077) == 0;
}

quint64 inodeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? quint64(st.st_ino) : 0;
}
}  // namespace

QString SingleInstance::defaultSocketPath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists()) {
        return runtime + QStringLiteral("/quillo.socket");
    }
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty() || !QDir::isAbsolutePath(cache)) {
        cache = QDir::homePath() + QStringLiteral("/.cache");
    }
    const QString folder = cache + QStringLiteral("/quillo");
    return isPrivateFolder(folder) ? folder + QStringLiteral("/quillo.socket") : QString();
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
    if (socketPath_.isEmpty()) {
        return Claim::primary;  // no private place for the socket: nothing to hand over through
    }
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
    if (socketPath_.isEmpty()) {
        return false;
    }
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(1000) || !peerIsThisUser(socket.socketDescriptor())) {
        return false;
    }
    socket.write(activateMessage);
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen() {
    if (socketPath_.isEmpty() || (!lock_.isLocked() && !lock_.tryLock(0))) {
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
    if (!startServer()) {
        return false;
    }
    listenCheck_ = new QTimer(this);
    listenCheck_->setInterval(listenCheckInterval);
    connect(listenCheck_, &QTimer::timeout, this, &SingleInstance::listenAgainIfLost);
    listenCheck_->start();
    return true;
}

bool SingleInstance::startServer() {
    delete server_;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Nobody answers on it, so it was left by an instance that died: take its place.
    QLocalServer::removeServer(socketPath_);
    if (!server_->listen(socketPath_)) {
        return false;
    }
    socketInode_ = inodeOf(socketPath_);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return true;
}

// Qt closes the server for good when an accept fails (no descriptor left), and a cleaner of old
// files may remove the socket: either way, hand-overs and hotkey events would no longer get in.
// Holding the lock, this instance may always take the name back.
void SingleInstance::listenAgainIfLost() {
    if (server_ && server_->isListening() && inodeOf(socketPath_) == socketInode_) {
        return;
    }
    const bool listening = startServer();
    Log::line(listening ? QStringLiteral("[Quillo] The single-instance socket was lost; "
                                         "listening again")
                        : QStringLiteral("[Quillo] The single-instance socket was lost and "
                                         "could not be made again"));
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (!peerIsThisUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        open_.removeIf([](const QPointer<QLocalSocket>& open) { return open.isNull(); });
        while (open_.size() >= maxOpenConnections) {
            // The oldest has had the longest to say its line.
            if (QLocalSocket* oldest = open_.takeFirst()) {
                oldest->abort();
                oldest->deleteLater();
            }
        }
        open_.append(socket);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readLine(socket); });
        QTimer::singleShot(lineTimeout, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        // The message may have come in before the connection was accepted.
        if (socket->bytesAvailable() > 0) {
            readLine(socket);
        }
    }
}

// One line per connection, compared whole; the connection ends with it.
void SingleInstance::readLine(QLocalSocket* socket) {
    if (!socket->canReadLine() && socket->bytesAvailable() < maxLineLength) {
        return;
    }
    const QByteArray line = socket->readLine(maxLineLength + 1);
    socket->abort();
    socket->deleteLater();
    handle(line);
}

void SingleInstance::handle(const QByteArray& line) {
    if (line == activateMessage) {
        emit activationRequested();
    } else if (line == hotkeyPressMessage) {
        emit hotkeyPressRequested();
    } else if (line == hotkeyReleaseMessage) {
        emit hotkeyReleaseRequested();
    }
}

bool SingleInstance::sendHotkeyEvent(const QString& socketPath, bool pressed) {
    const QByteArray path = QFile::encodeName(socketPath);
    sockaddr_un address{};
    if (path.isEmpty() || path.size() >= qsizetype(sizeof address.sun_path))
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
        peerIsThisUser(fd) && ::send(fd, message, length, MSG_NOSIGNAL) == ssize_t(length);
    ::close(fd);
    return sent;
}
