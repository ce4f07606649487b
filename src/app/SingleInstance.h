#pragma once

#include <QLockFile>
#include <QList>
#include <QLocalSocket>
#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>

class QLocalServer;
class QTimer;

// One Quillo per user session: a second start hands over to the running one (which opens its
// settings window) and ends. A lock file next to the socket decides which start is the one,
// even when two begin within the same millisecond; the socket only carries the hand-over.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        primary,     // this process holds the lock: it is the one instance
        handedOver,  // a live instance answered and was asked to activate itself
        noAnswer,    // a live instance holds the lock but did not answer in time
    };

    // $XDG_RUNTIME_DIR/quillo.socket, or without one the same name in a folder of the user's
    // own ($XDG_CACHE_HOME/quillo, mode 0700); never a name in the shared /tmp that another
    // user could take first. Empty when that folder is not the user's alone.
    static QString defaultSocketPath();

    // At most this many connections are read at once; a new one beyond them closes the oldest.
    static constexpr int maxOpenConnections = 16;
    // A connection that has not sent its line by then is closed.
    static constexpr std::chrono::milliseconds lineTimeout{1000};
    // How often the server is checked to still listen on its own socket file.
    static constexpr std::chrono::milliseconds listenCheckInterval{1000};

    explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock, or hands over to the instance holding it. That instance may still be
    // starting, so it is given `answerWait` to answer; a lock left by a dead process is taken
    // over. Blocking: it runs before this process has any window or hotkey.
    Claim claim(std::chrono::milliseconds answerWait = std::chrono::seconds(10));
    // True when another instance answered and was asked to activate itself.
    bool handOverToRunningInstance();
    // Starts answering later instances; false when the socket cannot be created, when this
    // process cannot hold the lock or when another instance still answers on the socket.
    bool listen();

    QString socketPath() const { return socketPath_; }
    QString lockPath() const { return socketPath_ + QStringLiteral(".lock"); }

    // Hands one hotkey event from the compositor's key binding to the running instance, without
    // any Qt application object so that it returns within milliseconds. False when none answers.
    static bool sendHotkeyEvent(const QString& socketPath, bool pressed);

signals:
    void activationRequested();
    void hotkeyPressRequested();
    void hotkeyReleaseRequested();

private:
    bool startServer();
    void acceptConnections();
    void readLine(QLocalSocket* socket);
    void handle(const QByteArray& line);
    void listenAgainIfLost();

    QString socketPath_;
    QLockFile lock_;
    QLocalServer* server_ = nullptr;
    // The socket file's inode while we listen: another file there means ours was removed.
    quint64 socketInode_ = 0;
    QList<QPointer<QLocalSocket>> open_;
    QTimer* listenCheck_ = nullptr;
};
