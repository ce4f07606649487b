#include "platform/wayland/PortalGlobalShortcutsBackend.h"
#include "platform/wayland/PortalShortcut.h"
#include "support/PrivateBus.h"
#include "support/X11TestClient.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr char portalPath[] = "/org/freedesktop/portal/desktop";

// A desktop portal that binds shortcuts only through BindShortcuts, as the standard says and
// GNOME does: shortcuts in CreateSession's options are ignored.
class StandardShortcutsPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
public:
    explicit StandardShortcutsPortal(QDBusConnection bus) : bus_(std::move(bus)) {}

    QStringList calls;
    QList<PortalShortcut> bound;
    QString session;
    // The user's answer to BindShortcuts' dialog.
    uint bindResponse = 0;

    void activate(const QString& id) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QLatin1String(portalPath), QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
            QStringLiteral("Activated"));
        signal.setArguments(
            {QVariant::fromValue(QDBusObjectPath(session)), id, quint64(0), QVariantMap{}});
        bus_.send(signal);
    }

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& message) {
        calls << QStringLiteral("CreateSession");
        session = QStringLiteral("%1/session/%2/%3")
                      .arg(QLatin1String(portalPath), senderPart(message),
                           options.value(QStringLiteral("session_handle_token")).toString());
        return answer(message, options, 0, {{QStringLiteral("session_handle"), session}});
    }
    QDBusObjectPath ListShortcuts(const QDBusObjectPath&, const QVariantMap& options,
                                  const QDBusMessage& message) {
        calls << QStringLiteral("ListShortcuts");
        return answer(message, options, 0,
                      {{QStringLiteral("shortcuts"), QVariant::fromValue(bound)}});
    }
    QDBusObjectPath BindShortcuts(const QDBusObjectPath&, const QList<PortalShortcut>& shortcuts,
                                  const QString&, const QVariantMap& options,
                                  const QDBusMessage& message) {
        calls << QStringLiteral("BindShortcuts");
        if (bindResponse == 0) {
            for (PortalShortcut shortcut : shortcuts) {
                shortcut.properties.insert(QStringLiteral("trigger_description"),
                                           QStringLiteral("Alt+Space"));
                bound << shortcut;
            }
        }
        return answer(message, options, bindResponse,
                      {{QStringLiteral("shortcuts"), QVariant::fromValue(bound)}});
    }

private:
    static QString senderPart(const QDBusMessage& message) {
        return PrivateBus::senderPart(message);
    }
    QDBusObjectPath answer(const QDBusMessage& message, const QVariantMap& options, uint response,
                           const QVariantMap& results) {
        return PrivateBus::answerRequest(this, bus_, message, options, response, results);
    }

    QDBusConnection bus_;
};

class PortalBindShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override {
        PortalShortcut::registerDBusTypes();
        ASSERT_TRUE(bus.isUp()) << "dbus-daemon did not start";
        QDBusConnection portalBus = bus.connect(QStringLiteral("quillo-test-portal"));
        ASSERT_TRUE(portalBus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
        portal = std::make_unique<StandardShortcutsPortal>(portalBus);
        ASSERT_TRUE(portalBus.registerObject(QLatin1String(portalPath), portal.get(),
                                             QDBusConnection::ExportAllSlots));
        backend = std::make_unique<PortalGlobalShortcutsBackend>(
            bus.connect(QStringLiteral("quillo-test-client")));
        handler = backend->installHandler([this](const HotkeyEvent& event) {
            events << event.kind;
            return true;
        });
    }
    void TearDown() override {
        handler = {};
        backend.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("quillo-test-client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("quillo-test-portal"));
    }

    PrivateBus bus;
    std::unique_ptr<StandardShortcutsPortal> portal;
    std::unique_ptr<PortalGlobalShortcutsBackend> backend;
    GlobalHotkeyBackend::Outcome handler;
    QList<HotkeyEventKind> events;
};

}  // namespace

// A desktop that ignored the shortcut in the creation options is asked with BindShortcuts (the
// user confirms in its dialog), rather than told that another application holds the trigger.
TEST_F(PortalBindShortcutsTest, ADesktopThatBindsOnlyWhenAskedGetsAskedOnce) {
    int taken = 0;
    QObject::connect(backend.get(), &PortalGlobalShortcutsBackend::triggerTaken, [&] { ++taken; });
    const auto registration = backend->registerHotkey(49, 2048, {0x5155494c, 1});
    ASSERT_TRUE(waitUntil([&] { return !events.isEmpty(); }, 5s));
    EXPECT_EQ(events, QList<HotkeyEventKind>{HotkeyEventKind::confirmed});
    EXPECT_EQ(portal->calls,
              (QStringList{QStringLiteral("CreateSession"), QStringLiteral("ListShortcuts"),
                           QStringLiteral("BindShortcuts")}));
    EXPECT_EQ(taken, 0);
    EXPECT_EQ(backend->triggerDescription(), QStringLiteral("Alt+Space"));

    portal->activate(portal->bound.value(0).id);
    EXPECT_TRUE(waitUntil([&] { return events.contains(HotkeyEventKind::pressed); }, 5s));
}

// The user dismissed the desktop's dialog: the registration fails, and nobody asks again.
TEST_F(PortalBindShortcutsTest, ADismissedDialogRefusesTheHotkey) {
    portal->bindResponse = 1;
    const auto registration = backend->registerHotkey(49, 2048, {0x5155494c, 1});
    ASSERT_TRUE(waitUntil([&] { return !events.isEmpty(); }, 5s));
    EXPECT_EQ(events, QList<HotkeyEventKind>{HotkeyEventKind::refused});
    runEventLoopFor(100ms);
    EXPECT_EQ(portal->calls.count(QStringLiteral("BindShortcuts")), 1);
}

#include "PortalBindShortcutsTest.moc"
