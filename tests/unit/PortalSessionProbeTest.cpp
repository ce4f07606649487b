#include "platform/wayland/PortalGlobalShortcutsBackend.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

constexpr char portalPath[] = "/org/freedesktop/portal/desktop";

// A portal that lists GlobalShortcuts and answers CreateSession with a chosen response, as
// xdg-desktop-portal does on GNOME before 48 beside KDE's portal (response 2: no such
// interface behind it). It runs on a thread of its own: the probe blocks the main thread.
class ListedShortcutsPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)
public:
    ListedShortcutsPortal(QDBusConnection bus, uint response)
        : bus_(std::move(bus)), response_(response) {}
    uint version() const { return 1; }

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& message) {
        const QString sender = message.service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString request = QStringLiteral("%1/request/%2/%3")
                                    .arg(QLatin1String(portalPath), sender,
                                         options.value(QStringLiteral("handle_token")).toString());
        const QVariantMap results = response_ == 0
                                        ? QVariantMap{{QStringLiteral("session_handle"),
                                                       QStringLiteral("%1/session/%2/probe")
                                                           .arg(QLatin1String(portalPath), sender)}}
                                        : QVariantMap{};
        QTimer::singleShot(0, this, [this, request, results] {
            QDBusMessage signal = QDBusMessage::createSignal(
                request, QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Response"));
            signal.setArguments({response_, results});
            bus_.send(signal);
        });
        return QDBusObjectPath(request);
    }

private:
    QDBusConnection bus_;
    uint response_;
};

class PortalSessionProbeTest : public ::testing::Test {
protected:
    void SetUp() override {
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"),
                      QStringLiteral("--print-address=1"), QStringLiteral("--nopidfile")});
        ASSERT_TRUE(daemon.waitForReadyRead(5000)) << "dbus-daemon did not start";
        address = QString::fromUtf8(daemon.readLine()).trimmed();
        portalThread.start();
    }
    void TearDown() override {
        if (portal)
            QMetaObject::invokeMethod(
                portal.get(), [this] { portal.reset(); }, Qt::BlockingQueuedConnection);
        portalThread.quit();
        portalThread.wait();
        QDBusConnection::disconnectFromBus(QStringLiteral("quillo-probe-client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("quillo-probe-portal"));
        daemon.kill();
        daemon.waitForFinished(2000);
    }

    void startPortal(uint response) {
        QDBusConnection bus =
            QDBusConnection::connectToBus(address, QStringLiteral("quillo-probe-portal"));
        ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
        portal = std::make_unique<ListedShortcutsPortal>(bus, response);
        portal->moveToThread(&portalThread);
        ASSERT_TRUE(bus.registerObject(
            QLatin1String(portalPath), portal.get(),
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
    }
    QDBusConnection client() const {
        return QDBusConnection::connectToBus(address, QStringLiteral("quillo-probe-client"));
    }

    QProcess daemon;
    QString address;
    QThread portalThread;
    std::unique_ptr<ListedShortcutsPortal> portal;
};

}  // namespace

TEST_F(PortalSessionProbeTest, AListedInterfaceWhoseSessionFailsIsNotAvailable) {
    startPortal(2);
    ASSERT_TRUE(PortalGlobalShortcutsBackend::isAvailable(client())) << "listed";
    EXPECT_FALSE(PortalGlobalShortcutsBackend::createsSession(client()));
}

TEST_F(PortalSessionProbeTest, APortalThatMakesTheSessionIsAvailable) {
    startPortal(0);
    EXPECT_TRUE(PortalGlobalShortcutsBackend::createsSession(client()));
}

TEST_F(PortalSessionProbeTest, NoPortalIsNotAvailable) {
    EXPECT_FALSE(PortalGlobalShortcutsBackend::createsSession(client()));
}

#include "PortalSessionProbeTest.moc"
