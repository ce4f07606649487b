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

signals:
    void activationRequested();

private:
    void acceptConnections();

    QString socketPath_;
    QLocalServer* server_ = nullptr;
};
