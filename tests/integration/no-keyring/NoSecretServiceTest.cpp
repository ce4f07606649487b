#include "models/AppSettings.h"
#include "models/SecretCache.h"
#include "platform/desktop/KeychainSecretStore.h"
#include "platform/desktop/SqliteDefaultsStore.h"
#include "views/settings/sections/ConnectionSettingsContent.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <qcoro/qcorotask.h>

#include <gtest/gtest.h>

// A session bus without any keyring service, nor one it could start
// (tests/scripts/with-keyring.sh --no-secret-service): a minimal window manager.
TEST(NoSecretService, KeysStayInThePreferencesStoreAndTheConnectionSectionSaysSo) {
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    ASSERT_NE(bus, nullptr) << "no session bus: run through tests/scripts/with-keyring.sh";
    ASSERT_FALSE(
        bus->activatableServiceNames().value().contains(QStringLiteral("org.freedesktop.secrets")));
    QTemporaryDir dir;
    SqliteDefaultsStore preferences(dir.filePath(QStringLiteral("quillo/defaults.sqlite3")));
    const QString openAI = QLatin1String(AppSettings::Keys::openAIAPIKey);
    preferences.setString(openAI, QStringLiteral("sk-proj-no-keyring-5678"));

    KeychainSecretStore keyring;
    SecretCache cache(preferences, keyring, AppSettings::secretKeys());
    QCoro::waitFor(cache.load());
    AppSettings settings(preferences);
    settings.useSecrets(cache);
    settings.setAnthropicAPIKey(QStringLiteral("sk-ant-no-keyring-4321"));

    EXPECT_EQ(keyring.status(), SecretStore::Status::unavailable);
    EXPECT_EQ(cache.location(), SecretCache::Location::preferencesNoKeyring);
    EXPECT_EQ(settings.openAIAPIKey(), "sk-proj-no-keyring-5678");
    EXPECT_EQ(preferences.string(openAI), "sk-proj-no-keyring-5678");
    EXPECT_EQ(preferences.string(QLatin1String(AppSettings::Keys::anthropicAPIKey)),
              "sk-ant-no-keyring-4321");
    EXPECT_EQ(QFile::permissions(dir.filePath(QStringLiteral("quillo/defaults.sqlite3"))) &
                  (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
              QFile::Permissions())
        << "keys in the preferences file are for its owner only";

    ConnectionSettingsContent section(settings);
    EXPECT_EQ(section.keysNote()->text(),
              qtTrId("connection.keys.no_keyring"));
}
