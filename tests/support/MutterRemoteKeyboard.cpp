#include "support/MutterRemoteKeyboard.h"

#include "support/EventLoop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>

namespace {

constexpr char service[] = "org.gnome.Mutter.RemoteDesktop";
constexpr char sessionInterface[] = "org.gnome.Mutter.RemoteDesktop.Session";
constexpr int callTimeoutMs = 5000;

QString errorOf(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ErrorMessage ? reply.errorMessage() : QString();
}

}  // namespace

MutterRemoteKeyboard::MutterRemoteKeyboard() {
    QDBusMessage create = QDBusMessage::createMethodCall(
        QLatin1String(service), QStringLiteral("/org/gnome/Mutter/RemoteDesktop"),
        QLatin1String(service), QStringLiteral("CreateSession"));
    const QDBusMessage created =
        QDBusConnection::sessionBus().call(create, QDBus::Block, callTimeoutMs);
    if (created.type() != QDBusMessage::ReplyMessage || created.arguments().isEmpty()) {
        error_ = QStringLiteral("CreateSession failed: ") + errorOf(created);
        return;
    }
    session_ = created.arguments().constFirst().value<QDBusObjectPath>().path();
    if (!call(QStringLiteral("Start"), {})) {
        error_ = QStringLiteral("Start failed");
        return;
    }
    // The lost first event, and a moment for focused clients to get the keyboard.
    if (!press(leftShift) || !release(leftShift)) {
        error_ = QStringLiteral("the first key could not be sent");
        return;
    }
    runEventLoopFor(std::chrono::milliseconds(100));
}

MutterRemoteKeyboard::~MutterRemoteKeyboard() {
    if (!session_.isEmpty())
        call(QStringLiteral("Stop"), {});
}

bool MutterRemoteKeyboard::press(quint32 keysym) {
    return call(QStringLiteral("NotifyKeyboardKeysym"), {keysym, true});
}

bool MutterRemoteKeyboard::release(quint32 keysym) {
    return call(QStringLiteral("NotifyKeyboardKeysym"), {keysym, false});
}

bool MutterRemoteKeyboard::hold(quint32 modifier, quint32 key, std::chrono::milliseconds duration) {
    if (!press(modifier) || !press(key))
        return false;
    runEventLoopFor(duration);
    return release(key) && release(modifier);
}

bool MutterRemoteKeyboard::tap(quint32 modifier, quint32 key) {
    return hold(modifier, key, std::chrono::milliseconds(40));
}

bool MutterRemoteKeyboard::tap(quint32 key) {
    if (!press(key))
        return false;
    runEventLoopFor(std::chrono::milliseconds(40));
    return release(key);
}

bool MutterRemoteKeyboard::call(const QString& method, const QVariantList& arguments) {
    if (session_.isEmpty())
        return false;
    QDBusMessage message = QDBusMessage::createMethodCall(QLatin1String(service), session_,
                                                          QLatin1String(sessionInterface), method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, callTimeoutMs).type() ==
           QDBusMessage::ReplyMessage;
}
