#include "platform/wayland/PortalGlobalShortcutsBackend.h"
#include "support/PrivateBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QThread>

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
        const QVariantMap results = response_ == 0
                                        ? QVariantMap{{QStringLiteral("session_handle"),
                                                       QStringLiteral("%1/session/%2/probe")
                                                           .arg(QLatin1String(portalPath),
                                                                PrivateBus::senderPart(message))}}
                                        : QVariantMap{};
        return PrivateBus::answerRequest(this, bus_, message, options, response_, results);
    }

private:
    QDBusConnection bus_;
    uint response_;
};

class PortalSessionProbeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.isUp()) << "dbus-daemon did not start";
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
    }

    void startPortal(uint response) {
        QDBusConnection portalBus = bus.connect(QStringLiteral("quillo-probe-portal"));
        ASSERT_TRUE(portalBus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
        portal = std::make_unique<ListedShortcutsPortal>(portalBus, response);
        portal->moveToThread(&portalThread);
        ASSERT_TRUE(portalBus.registerObject(
            QLatin1String(portalPath), portal.get(),
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
    }
    QDBusConnection client() const { return bus.connect(QStringLiteral("quillo-probe-client")); }

    PrivateBus bus;
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
