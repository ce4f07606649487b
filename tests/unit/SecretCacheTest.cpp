#include "models/AppSettings.h"
#include "models/SecretCache.h"
#include "support/FakeSecretStore.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LogCapture.h"

#include <QSignalSpy>

#include <qcoro/qcorotask.h>

#include <gtest/gtest.h>

namespace {

const QString openAI = QLatin1String(AppSettings::Keys::openAIAPIKey);
const QString anthropic = QLatin1String(AppSettings::Keys::anthropicAPIKey);
const QString token = QLatin1String(AppSettings::Keys::remoteDesktopRestoreToken);

class SecretCacheTest : public ::testing::Test {
protected:
    void load() { QCoro::waitFor(cache.load()); }

    InMemoryDefaultsStore preferences;
    FakeSecretStore keyring;
    SecretCache cache{preferences, keyring, AppSettings::secretKeys()};
    AppSettings settings{preferences};
};

}  // namespace

TEST_F(SecretCacheTest, KeysInThePreferencesStoreMoveToTheKeyringAndReadTheSame) {
    preferences.setString(openAI, QStringLiteral("sk-openai-1234"));
    preferences.setString(token, QStringLiteral("restore-token"));
    keyring.values.insert(anthropic, QStringLiteral("sk-ant-5678"));
    LogCapture log;

    load();
    settings.useSecrets(cache);

    EXPECT_EQ(keyring.values.value(openAI), "sk-openai-1234");
    EXPECT_EQ(keyring.values.value(token), "restore-token");
    EXPECT_FALSE(preferences.contains(openAI)) << "a moved key leaves the preferences store";
    EXPECT_FALSE(preferences.contains(token));
    EXPECT_EQ(keyring.requests,
              QStringList({"write " + openAI, "read " + openAI, "read " + anthropic,
                           "write " + token, "read " + token}))
        << "written, read back, and only then removed";
    EXPECT_EQ(settings.openAIAPIKey(), "sk-openai-1234");
    EXPECT_EQ(settings.anthropicAPIKey(), "sk-ant-5678");
    EXPECT_EQ(cache.value(token), "restore-token");
    EXPECT_EQ(cache.location(), SecretCache::Location::keyring);
    EXPECT_FALSE(log.lines().join(QLatin1Char('\n')).contains(QStringLiteral("sk-")))
        << log.lines().join(QLatin1Char('\n')).toStdString();
}

TEST_F(SecretCacheTest, AKeyringThatRefusesIsAskedOnceAndTheKeysStayWhereTheyWork) {
    preferences.setString(openAI, QStringLiteral("sk-openai-1234"));
    preferences.setString(anthropic, QStringLiteral("sk-ant-5678"));
    keyring.setBehaviour(FakeSecretStore::Behaviour::refuses);
    LogCapture log;

    load();
    settings.useSecrets(cache);

    EXPECT_EQ(keyring.requests, QStringList({"write " + openAI}))
        << "a locked keyring whose user declined is not asked again for each key";
    EXPECT_EQ(preferences.string(openAI), "sk-openai-1234");
    EXPECT_EQ(preferences.string(anthropic), "sk-ant-5678");
    EXPECT_EQ(settings.openAIAPIKey(), "sk-openai-1234");
    EXPECT_EQ(cache.location(), SecretCache::Location::preferencesKeyringRefused);

    // Dictations read the key from memory: the keyring is not asked again.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(settings.openAIAPIKey(), "sk-openai-1234");
    settings.setOpenAIAPIKey(QStringLiteral("sk-openai-new"));
    EXPECT_EQ(keyring.requests.size(), 1);
    EXPECT_EQ(preferences.string(openAI), "sk-openai-new");
    EXPECT_FALSE(log.lines().join(QLatin1Char('\n')).contains(QStringLiteral("sk-")))
        << log.lines().join(QLatin1Char('\n')).toStdString();
}

TEST_F(SecretCacheTest, AKeyTheKeyringGivesBackChangedStaysInThePreferencesStore) {
    preferences.setString(openAI, QStringLiteral("sk-openai-1234"));
    keyring.setBehaviour(FakeSecretStore::Behaviour::corruptsWrites);

    load();
    settings.useSecrets(cache);

    EXPECT_EQ(preferences.string(openAI), "sk-openai-1234");
    EXPECT_EQ(settings.openAIAPIKey(), "sk-openai-1234");
    EXPECT_EQ(cache.location(), SecretCache::Location::preferencesKeyringRefused);
}

TEST_F(SecretCacheTest, WithoutAKeyringKeysStayInThePreferencesStore) {
    keyring.setBehaviour(FakeSecretStore::Behaviour::missing);
    preferences.setString(openAI, QStringLiteral("sk-openai-1234"));

    load();
    settings.useSecrets(cache);
    settings.setAnthropicAPIKey(QStringLiteral("sk-ant-5678"));

    EXPECT_TRUE(keyring.requests.isEmpty());
    EXPECT_EQ(preferences.string(openAI), "sk-openai-1234");
    EXPECT_EQ(preferences.string(anthropic), "sk-ant-5678");
    EXPECT_EQ(settings.anthropicAPIKey(), "sk-ant-5678");
    EXPECT_EQ(cache.location(), SecretCache::Location::preferencesNoKeyring);
}

TEST_F(SecretCacheTest, AnEditedKeyGoesToTheKeyringOnlyAndAClearedOneIsRemoved) {
    load();
    settings.useSecrets(cache);
    QSignalSpy changed(&settings, &AppSettings::changed);

    settings.setOpenAIAPIKey(QStringLiteral("sk-typed"));
    EXPECT_EQ(settings.openAIAPIKey(), "sk-typed");
    EXPECT_EQ(keyring.values.value(openAI), "sk-typed");
    EXPECT_FALSE(preferences.contains(openAI));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), openAI);

    settings.setOpenAIAPIKey(QString());
    EXPECT_FALSE(keyring.values.contains(openAI));
    EXPECT_TRUE(settings.openAIAPIKey().isEmpty());
    EXPECT_FALSE(settings.hasValidAPIKey() && !settings.useBackend());
}

TEST_F(SecretCacheTest, AKeyWrittenToThePreferencesStoreLaterIsReadFromThere) {
    keyring.values.insert(openAI, QStringLiteral("sk-old"));
    load();
    settings.useSecrets(cache);

    // quillo-defaults while Quillo runs: the store's value counts until the next start moves it.
    preferences.setString(openAI, QStringLiteral("sk-from-shell"));
    EXPECT_EQ(settings.openAIAPIKey(), "sk-from-shell");
}
