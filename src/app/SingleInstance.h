#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <chrono>

class QLocalServer;

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

    // $XDG_RUNTIME_DIR/quillo.socket, or a per-user name in /tmp.
    static QString defaultSocketPath();

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
    void acceptConnections();

    QString socketPath_;
    QLockFile lock_;
    QLocalServer* server_ = nullptr;
};
