#include "models/AppSettings.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

class ConnectionSettingsStoreTest : public ::testing::Test {
protected:
    QStringList backupKeys(const QString& prefix) const {
        QStringList found;
        for (const QString& key : store.keys()) {
            if (key.startsWith(prefix + "_backup_"))
                found << key;
        }
        return found;
    }

    InMemoryDefaultsStore store;
    AppSettings settings{store};
};

TEST_F(ConnectionSettingsStoreTest, FreshInstallReadsTheFixedServerAndModelsAndWritesNothing) {
    EXPECT_EQ(settings.openAIBaseURL(), "https://api.openai.com");
    EXPECT_EQ(settings.transcriptionModel(), "gpt-4o-mini-transcribe");
    EXPECT_EQ(settings.chatModel(), "gpt-5.4-mini");
    EXPECT_EQ(settings.anthropicModel(), "claude-haiku-4-5-20251001");
    EXPECT_EQ(settings.inputDevice(), QString());
    EXPECT_TRUE(settings.vocabulary().isEmpty());
    EXPECT_TRUE(settings.replacements().isEmpty());
    EXPECT_TRUE(store.keys().isEmpty());
}

TEST_F(ConnectionSettingsStoreTest, BlankServerOrModelReadsAsTheDefault) {
    settings.setOpenAIBaseURL("  ");
    settings.setChatModel("");
    EXPECT_EQ(settings.openAIBaseURL(), "https://api.openai.com");
    EXPECT_EQ(settings.chatModel(), "gpt-5.4-mini");
    settings.setOpenAIBaseURL("http://127.0.0.1:8080");
    settings.setTranscriptionModel("whisper-1");
    EXPECT_EQ(store.string("openai_base_url"), "http://127.0.0.1:8080");
    EXPECT_EQ(store.string("transcription_model"), "whisper-1");
}

TEST_F(ConnectionSettingsStoreTest, WordListsRoundTripAsJsonArrays) {
    settings.setVocabulary({"Quillo", "Dr. Okonkwo"});
    settings.setReplacements({{"cube control", "kubectl"}});
    EXPECT_EQ(store.data("vocabulary"), QByteArray(R"(["Quillo","Dr. Okonkwo"])"));
    EXPECT_EQ(store.data("replacements"),
              QByteArray(R"([{"heard":"cube control","written":"kubectl"}])"));
    EXPECT_EQ(settings.vocabulary(), QStringList({"Quillo", "Dr. Okonkwo"}));
    EXPECT_EQ(settings.replacements(), (QList<Replacement>{{"cube control", "kubectl"}}));
}

// An unreadable value reads as empty and survives under a backup key when the first edit
// replaces it; later edits make no further backups.
TEST_F(ConnectionSettingsStoreTest, UndecodableListIsKeptAsideBeforeTheFirstOverwrite) {
    store.setData("vocabulary", "[\"half");
    store.setData("replacements", R"([{"heard":1}])");
    EXPECT_TRUE(settings.vocabulary().isEmpty());
    EXPECT_TRUE(settings.replacements().isEmpty());
    EXPECT_TRUE(backupKeys("vocabulary").isEmpty()) << "reading alone keeps nothing aside";

    LogCapture log;
    settings.setVocabulary({"Quillo"});
    settings.setReplacements({});
    ASSERT_EQ(backupKeys("vocabulary").size(), 1);
    ASSERT_EQ(backupKeys("replacements").size(), 1);
    EXPECT_EQ(store.data(backupKeys("vocabulary").first()), QByteArray("[\"half"));
    EXPECT_EQ(store.data(backupKeys("replacements").first()), QByteArray(R"([{"heard":1}])"));
    EXPECT_EQ(settings.vocabulary(), QStringList{"Quillo"});
    EXPECT_EQ(log.lines().size(), 2);

    settings.setVocabulary({"Quillo", "Kubernetes"});
    EXPECT_EQ(backupKeys("vocabulary").size(), 1);
}

TEST_F(ConnectionSettingsStoreTest, ValueOfAnotherTypeIsKeptAsideToo) {
    store.setInteger("vocabulary", 7);
    EXPECT_TRUE(settings.vocabulary().isEmpty());
    settings.setVocabulary({"a"});
    ASSERT_EQ(backupKeys("vocabulary").size(), 1);
    EXPECT_EQ(store.integer(backupKeys("vocabulary").first()), 7);
}

}  // namespace
