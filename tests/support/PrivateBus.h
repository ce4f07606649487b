#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QProcess>
#include <QString>
#include <QTimer>
#include <QVariantMap>

// A private session bus of its own: a fake desktop portal on it is the only one there.
class PrivateBus {
public:
    PrivateBus() {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address=1"), QStringLiteral("--nopidfile")});
        if (daemon_.waitForReadyRead(5000))
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        daemon_.kill();
        daemon_.waitForFinished(2000);
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    QDBusConnection connect(const QString& name) const {
        return QDBusConnection::connectToBus(address_, name);
    }
    bool isUp() const { return !address_.isEmpty(); }

    // What a fake portal's method returns: the request's path now, and its Response signal
    // (`response`, `results`) from `context`'s event loop right after the reply, as
    // xdg-desktop-portal does.
    static QDBusObjectPath answerRequest(QObject* context, QDBusConnection bus,
                                         const QDBusMessage& message, const QVariantMap& options,
                                         uint response, const QVariantMap& results) {
        const QString request =
            QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                .arg(senderPart(message), options.value(QStringLiteral("handle_token")).toString());
        QTimer::singleShot(0, context, [bus, request, response, results]() mutable {
            QDBusMessage signal = QDBusMessage::createSignal(
                request, QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Response"));
            signal.setArguments({response, results});
            bus.send(signal);
        });
        return QDBusObjectPath(request);
    }
    // The caller's unique name as portal object paths spell it (":1.42" becomes "1_42").
    static QString senderPart(const QDBusMessage& message) {
        return message.service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    }

private:
    QProcess daemon_;
    QString address_;
};
