#include "platform/wayland/PortalRemoteDesktopKeystrokeSender.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/PrivateBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QMutex>
#include <QSignalSpy>
#include <QThread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <xkbcommon/xkbcommon.h>

using ::testing::ElementsAre;

namespace {

constexpr char portalPath[] = "/org/freedesktop/portal/desktop";

// The RemoteDesktop portal as GNOME's answers it: a session per CreateSession, Start answered
// as the user answers the consent dialog (0 allowed, 1 cancelled), keysyms recorded. On a thread
// of its own: the sender sends its keys with blocking calls.
class FakeRemoteDesktopPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.RemoteDesktop")
public:
    explicit FakeRemoteDesktopPortal(QDBusConnection bus) : bus_(std::move(bus)) {}

    void answerNextStartsWith(QList<uint> responses) {
        QMutexLocker lock(&mutex_);
        startResponses_ = std::move(responses);
    }
    int sessions() {
        QMutexLocker lock(&mutex_);
        return sessions_;
    }
    QList<std::pair<int, uint>> keys() {
        QMutexLocker lock(&mutex_);
        return keys_;
    }

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& message) {
        QMutexLocker lock(&mutex_);
        ++sessions_;
        const QString session =
            QStringLiteral("%1/session/%2/%3")
                .arg(QLatin1String(portalPath), PrivateBus::senderPart(message),
                     options.value(QStringLiteral("session_handle_token")).toString());
        return PrivateBus::answerRequest(this, bus_, message, options, 0,
                                         {{QStringLiteral("session_handle"), session}});
    }
    QDBusObjectPath SelectDevices(const QDBusObjectPath&, const QVariantMap& options,
                                  const QDBusMessage& message) {
        return PrivateBus::answerRequest(this, bus_, message, options, 0, {});
    }
    QDBusObjectPath Start(const QDBusObjectPath&, const QString&, const QVariantMap& options,
                          const QDBusMessage& message) {
        QMutexLocker lock(&mutex_);
        const uint response = startResponses_.isEmpty() ? 0 : startResponses_.takeFirst();
        return PrivateBus::answerRequest(this, bus_, message, options, response,
                                         {{QStringLiteral("devices"), 1u}});
    }
    void NotifyKeyboardKeysym(const QDBusObjectPath&, const QVariantMap&, int keysym, uint state) {
        QMutexLocker lock(&mutex_);
        keys_.append({keysym, state});
    }

    void NotifyKeyboardKeycode(const QDBusObjectPath&, const QVariantMap&, int, uint) {}

private:
    QDBusConnection bus_;
    QMutex mutex_;
    QList<uint> startResponses_;
    int sessions_ = 0;
    QList<std::pair<int, uint>> keys_;
};

class PortalTypingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.isUp()) << "dbus-daemon did not start";
        portalThread.start();
        QDBusConnection portalBus = bus.connect(QStringLiteral("quillo-typing-portal"));
        ASSERT_TRUE(portalBus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
        portal = std::make_unique<FakeRemoteDesktopPortal>(portalBus);
        portal->moveToThread(&portalThread);
        ASSERT_TRUE(portalBus.registerObject(QLatin1String(portalPath), portal.get(),
                                             QDBusConnection::ExportAllSlots));
    }
    void TearDown() override {
        sender.reset();
        QMetaObject::invokeMethod(
            portal.get(), [this] { portal.reset(); }, Qt::BlockingQueuedConnection);
        portalThread.quit();
        portalThread.wait();
        QDBusConnection::disconnectFromBus(QStringLiteral("quillo-typing-client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("quillo-typing-portal"));
    }
    // Quillo's start-up: the session is asked for at once.
    void startQuillo() {
        sender = std::make_unique<PortalRemoteDesktopKeystrokeSender>(
            store, PortalRemoteDesktopKeystrokeSender::HeldModifiers{},
            bus.connect(QStringLiteral("quillo-typing-client")));
    }
    bool settles(const char* signal) {
        QSignalSpy spy(sender.get(), signal);
        return spy.wait(5000);
    }

    PrivateBus bus;
    QThread portalThread;
    std::unique_ptr<FakeRemoteDesktopPortal> portal;
    InMemoryDefaultsStore store;
    std::unique_ptr<PortalRemoteDesktopKeystrokeSender> sender;
};

QList<std::pair<int, uint>> tap(int keysym) {
    return {{keysym, 1}, {keysym, 0}};
}

}  // namespace

// One consent at start-up covers every later typing; a character the US layout lacks goes as
// Ctrl+Shift+U, its code point, space.
TEST_F(PortalTypingTest, OneSessionForEveryTypingAndMissingCharactersByCodePoint) {
    startQuillo();
    ASSERT_TRUE(settles(SIGNAL(ready())));
    sender->typeWithLayout(
        [] { return [](quint32 keysym) { return keysym < 0x80 || keysym >= 0xff00; }; });
    ASSERT_TRUE(sender->typeText(QStringLiteral("a")));
    const TextTyper::Typed typed = sender->typeText(QStringLiteral("ü"));
    EXPECT_TRUE(typed.sent);
    EXPECT_EQ(typed.untypeable, QString());
    ASSERT_TRUE(sender->typeText(QStringLiteral("b")));
    EXPECT_EQ(portal->sessions(), 1);

    QList<std::pair<int, uint>> expected = tap(XKB_KEY_a);
    expected += {{XKB_KEY_Control_L, 1}, {XKB_KEY_Shift_L, 1}};
    expected += tap(XKB_KEY_u);
    expected += {{XKB_KEY_Shift_L, 0}, {XKB_KEY_Control_L, 0}};
    expected += tap(XKB_KEY_f) + tap(XKB_KEY_c) + tap(XKB_KEY_space) + tap(XKB_KEY_b);
    EXPECT_EQ(portal->keys(), expected);
}

// A cancelled consent is asked again at the next dictation, whose text is not typed (it stays in
// the history); the one after that goes through the new session.
TEST_F(PortalTypingTest, ARefusedSessionIsAskedForAgainAtTheNextDictation) {
    portal->answerNextStartsWith({1});
    startQuillo();
    ASSERT_TRUE(settles(SIGNAL(failed())));
    EXPECT_EQ(portal->sessions(), 1);

    EXPECT_FALSE(sender->typeText(QStringLiteral("lost")).sent);
    ASSERT_TRUE(settles(SIGNAL(ready()))) << "a new session is asked for";
    EXPECT_EQ(portal->sessions(), 2);
    ASSERT_TRUE(sender->typeText(QStringLiteral("k")));
    EXPECT_EQ(sender->postPasteChord(PasteChord::ControlV), KeystrokeSender::Result::Sent);
    EXPECT_EQ(portal->keys(), tap(XKB_KEY_k));
    EXPECT_EQ(portal->sessions(), 2);
}

#include "PortalTypingTest.moc"
