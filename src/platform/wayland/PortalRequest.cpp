#include "platform/wayland/PortalRequest.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

constexpr char requestInterface[] = "org.freedesktop.portal.Request";

}  // namespace

QString PortalRequest::newToken() {
    static quint64 counter = 0;
    return QStringLiteral("quillo%1").arg(++counter);
}

PortalRequest::PortalRequest(const QDBusConnection& bus, Callback done, QObject* context)
    : QObject(context), bus_(bus), done_(std::move(done)) {}

void PortalRequest::start(const QDBusConnection& bus, const QString& interface,
                          const QString& method, QVariantList arguments, Callback done,
                          QObject* context) {
    auto* request = new PortalRequest(bus, std::move(done), context);
    const QString token = newToken();
    QVariantMap options = arguments.isEmpty() ? QVariantMap{} : arguments.takeLast().toMap();
    options.insert(QStringLiteral("handle_token"), token);
    arguments.append(options);

    // The request object's path: our unique name without ':' and with '.' as '_'.
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    request->watch(QStringLiteral("%1/request/%2/%3").arg(QLatin1String(path), sender, token));

    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(service), QLatin1String(path),
                                                       interface, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), request);
    connect(watcher, &QDBusPendingCallWatcher::finished, request,
            [request](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *w;
                if (reply.isError()) {
                    request->finish(failed, {});
                    return;
                }
                // A portal older than handle tokens answers on a path of its own choosing.
                if (reply.value().path() != request->watchedPath_)
                    request->watch(reply.value().path());
            });
}

void PortalRequest::watch(const QString& requestPath) {
    if (!watchedPath_.isEmpty()) {
        bus_.disconnect(QLatin1String(service), watchedPath_, QLatin1String(requestInterface),
                        QStringLiteral("Response"), this, SLOT(onResponse(QDBusMessage)));
    }
    watchedPath_ = requestPath;
    bus_.connect(QLatin1String(service), watchedPath_, QLatin1String(requestInterface),
                 QStringLiteral("Response"), this, SLOT(onResponse(QDBusMessage)));
}

void PortalRequest::onResponse(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2) {
        finish(failed, {});
        return;
    }
    finish(arguments.at(0).toUInt(), qdbus_cast<QVariantMap>(arguments.at(1)));
}

void PortalRequest::finish(uint response, const QVariantMap& results) {
    if (finished_)
        return;
    finished_ = true;
    bus_.disconnect(QLatin1String(service), watchedPath_, QLatin1String(requestInterface),
                    QStringLiteral("Response"), this, SLOT(onResponse(QDBusMessage)));
    const Callback done = std::move(done_);
    deleteLater();
    if (done)
        done(response, results);
}
