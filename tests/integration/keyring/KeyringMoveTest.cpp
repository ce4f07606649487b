#include "models/AppSettings.h"
#include "models/SecretCache.h"
#include "platform/desktop/KeychainSecretStore.h"
#include "platform/desktop/SqliteDefaultsStore.h"
#include "support/LogCapture.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <qcoro/qcorotask.h>

#include <gtest/gtest.h>

// Against gnome-keyring-daemon on a private session bus (tests/scripts/with-keyring.sh), its
// login keyring unlocked with a test password. Each test runs in a process and keyring of its
// own.
namespace {

const QString openAI = QLatin1String(AppSettings::Keys::openAIAPIKey);
const QString anthropic = QLatin1String(AppSettings::Keys::anthropicAPIKey);
const QString token = QLatin1String(AppSettings::Keys::remoteDesktopRestoreToken);
const QString openAIKey = QStringLiteral("sk-proj-keyring-test-0123456789");

class KeyringMoveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDBusConnection::sessionBus().interface()->isServiceRegistered(
            QStringLiteral("org.freedesktop.secrets")))
            << "no Secret Service on the session bus: run through tests/scripts/with-keyring.sh";
        ASSERT_TRUE(dir.isValid());
    }

    // Locks the login keyring, as a screen lock or the user's "Lock" does.
    static bool lockKeyring() {
        QDBusMessage lock = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.secrets"), QStringLiteral("/org/freedesktop/secrets"),
            QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("Lock"));
        lock << QVariant::fromValue(QList<QDBusObjectPath>{
            QDBusObjectPath(QStringLiteral("/org/freedesktop/secrets/collection/login"))});
        return QDBusConnection::sessionBus().call(lock).type() == QDBusMessage::ReplyMessage;
    }

    static SecretStore::ReadResult readBack(const QString& name) {
        KeychainSecretStore fresh;
        return QCoro::waitFor(fresh.read(name));
    }

    QTemporaryDir dir;
    SqliteDefaultsStore preferences{dir.filePath(QStringLiteral("quillo/defaults.sqlite3"))};
    KeychainSecretStore keyring;
    SecretCache cache{preferences, keyring, AppSettings::secretKeys()};
};

}  // namespace

TEST_F(KeyringMoveTest, KeysInThePreferencesStoreMoveIntoTheKeyring) {
    preferences.setString(openAI, openAIKey);
    preferences.setString(token, QStringLiteral("portal-restore-token"));
    LogCapture log;

    QCoro::waitFor(cache.load());

    EXPECT_EQ(keyring.status(), SecretStore::Status::available);
    EXPECT_FALSE(preferences.contains(openAI)) << "a moved key leaves the preferences store";
    EXPECT_FALSE(preferences.contains(token));
    EXPECT_EQ(cache.value(openAI), openAIKey);
    EXPECT_EQ(cache.value(token), "portal-restore-token");
    EXPECT_TRUE(cache.value(anthropic).isEmpty());
    EXPECT_EQ(cache.location(), SecretCache::Location::keyring);
    const SecretStore::ReadResult stored = readBack(openAI);
    EXPECT_EQ(stored.result, SecretStore::Result::done);
    EXPECT_EQ(stored.value, openAIKey) << "another Quillo (the next start) reads it back";
    EXPECT_TRUE(log.contains(
        QStringLiteral("[Quillo] Moved openai_api_key from the preferences file to the keyring")));
    EXPECT_FALSE(log.lines().join(QLatin1Char('\n')).contains(QStringLiteral("keyring-test")))
        << "no key in a log line";
}

TEST_F(KeyringMoveTest, AKeyEditedLaterIsWrittenToTheKeyringAndAClearedOneRemoved) {
    QCoro::waitFor(cache.load());
    AppSettings settings(preferences);
    settings.useSecrets(cache);

    QSignalSpy written(&cache, &SecretCache::locationChanged);
    settings.setAnthropicAPIKey(QStringLiteral("sk-ant-typed-4321"));
    EXPECT_EQ(settings.anthropicAPIKey(), "sk-ant-typed-4321")
        << "known before the keyring answers";
    ASSERT_TRUE(written.wait(20000));
    EXPECT_EQ(readBack(anthropic).value, "sk-ant-typed-4321");
    EXPECT_FALSE(preferences.contains(anthropic));
    EXPECT_EQ(cache.location(), SecretCache::Location::keyring);

    settings.setAnthropicAPIKey(QString());
    ASSERT_TRUE(written.wait(20000));
    EXPECT_EQ(readBack(anthropic).result, SecretStore::Result::notFound);
}

TEST_F(KeyringMoveTest, ARefusedWriteLeavesTheKeyInThePreferencesStore) {
    preferences.setString(openAI, openAIKey);
    ASSERT_TRUE(lockKeyring());
    LogCapture log;

    QCoro::waitFor(cache.load());

    EXPECT_EQ(keyring.status(), SecretStore::Status::locked);
    EXPECT_EQ(preferences.string(openAI), openAIKey) << "the key stays where it works";
    EXPECT_EQ(cache.value(openAI), openAIKey);
    EXPECT_EQ(cache.location(), SecretCache::Location::preferencesKeyringRefused);
    EXPECT_TRUE(log.contains(QStringLiteral(
        "[Quillo] Keeping openai_api_key in the preferences file: the keyring did not take it")));
    EXPECT_FALSE(log.lines().join(QLatin1Char('\n')).contains(QStringLiteral("keyring-test")))
        << "no key in a log line";
}
