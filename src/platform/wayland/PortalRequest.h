#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <functional>

class QDBusMessage;

// One asynchronous request to the desktop portal: the method call, then the Response signal
// of the request object the portal makes for it. The signal is subscribed to before the call
// (its path follows from our bus name and a handle token), so a quick answer is not missed.
class PortalRequest : public QObject {
    Q_OBJECT
public:
    static constexpr char service[] = "org.freedesktop.portal.Desktop";
    static constexpr char path[] = "/org/freedesktop/portal/desktop";
    enum Response : uint { success = 0, cancelled = 1, failed = 2 };
    // The response code and its results; a call the bus refused counts as `failed`.
    using Callback = std::function<void(uint response, const QVariantMap& results)>;

    // Calls `method` of `interface`. `arguments` end with the options map, to which the
    // handle token is added. `done` runs once, on the main thread, unless `context` goes
    // first (the request is its child).
    static void start(const QDBusConnection& bus, const QString& interface, const QString& method,
                      QVariantList arguments, Callback done, QObject* context);

    // A fresh token for handle_token and session_handle_token options.
    static QString newToken();

private slots:
    void onResponse(const QDBusMessage& message);

private:
    PortalRequest(const QDBusConnection& bus, Callback done, QObject* context);
    void watch(const QString& requestPath);
    void finish(uint response, const QVariantMap& results);

    QDBusConnection bus_;
    Callback done_;
    QString watchedPath_;
    bool finished_ = false;
};
