#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One Quillo per user session: a second start hands over to the running one (which opens its
// settings window) and ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // $XDG_RUNTIME_DIR/quillo.socket, or a per-user name in /tmp.
    static QString defaultSocketPath();

    explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when another instance answered and was asked to activate itself.
    bool handOverToRunningInstance();
    // Starts answering later instances; false when the socket cannot be created.
    bool listen();

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
    QLocalServer* server_ = nullptr;
};
