#include "integration/pipeline/PipelineTest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

// Dictation through a server the user named in the settings (the hosts for tests stay empty,
// as in the application), with vocabulary and replacements.
class OwnServerDictationTest : public PipelineTest {
protected:
    OwnServerDictationTest() { everyHostAtServer = false; }

    static QString userMessage(const RecordedRequest& chat) {
        const QJsonArray messages =
            QJsonDocument::fromJson(chat.body).object().value("messages").toArray();
        return messages.last().toObject().value("content").toString();
    }
};

TEST_F(OwnServerDictationTest, ServerModelsVocabularyAndReplacementsFromTheSettings) {
    settings.setUseBackend(false);
    settings.setOpenAIAPIKey("sk-local");
    settings.setOpenAIBaseURL(server.baseURL() + "/v1");
    settings.setTranscriptionModel("whisper-large-v3");
    settings.setChatModel("llama3.1:8b");
    settings.setVocabulary({"Kubernetes", "Okonkwo"});
    settings.setReplacements({{"cube control", "kubectl"}});
    server.enqueue(ScriptedResponse::json(200, R"({"text":"run Cube Control now"})"));
    server.enqueue(
        ScriptedResponse::json(200, R"({"choices":[{"message":{"content":"Run kubectl now."}}]})"));
    holdGesture();

    ASSERT_EQ(server.requests().size(), 2);
    const RecordedRequest& upload = server.requests()[0];
    EXPECT_EQ(upload.path, "/v1/audio/transcriptions");
    EXPECT_TRUE(upload.body.contains("name=\"model\"\r\n\r\nwhisper-large-v3\r\n"));
    EXPECT_TRUE(upload.body.contains("name=\"prompt\"\r\n\r\nKubernetes, Okonkwo\r\n"));
    const RecordedRequest& chat = server.requests()[1];
    EXPECT_EQ(chat.path, "/v1/chat/completions");
    EXPECT_EQ(QJsonDocument::fromJson(chat.body).object().value("model"), "llama3.1:8b");
    EXPECT_EQ(userMessage(chat), "run kubectl now") << "replaced before formatting";
    EXPECT_TRUE(log.contains("[Quillo] Whisper result: \"run Cube Control now\""))
        << "the log shows what the service returned";
    EXPECT_EQ(paster.pasted, QStringList{"Run kubectl now. "});
}

TEST_F(OwnServerDictationTest, RawModeKeepsTheReplacedTranscriptInTheHistory) {
    settings.setUseBackend(false);
    settings.setOpenAIAPIKey("sk-local");
    settings.setOpenAIBaseURL(server.baseURL());
    settings.setSelectedMode(DictationMode::raw);
    settings.setReplacements({{"quill o", "Quillo"}});
    server.enqueue(ScriptedResponse::json(200, R"({"text":"Quill O works"})"));
    holdGesture();
    EXPECT_EQ(paster.pasted, QStringList{"Quillo works "});
    EXPECT_EQ(settings.recentDictations().value(0).text, "Quillo works");
}

// The backend has no field for the vocabulary; replacements still apply before its formatting.
TEST_F(OwnServerDictationTest, BackendRouteAppliesReplacementsBeforeFormatting) {
    settings.setVocabulary({"Kubernetes"});
    settings.setReplacements({{"cube control", "kubectl"}});
    server.enqueue(ScriptedResponse::json(200, R"({"text":"use cube control","words":3})"));
    server.enqueue(ScriptedResponse::json(200, R"({"text":"Use kubectl."})"));
    holdGesture();
    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_FALSE(server.requests()[0].body.contains("Kubernetes"));
    EXPECT_TRUE(server.requests()[1].body.contains("use kubectl"));
    EXPECT_EQ(paster.pasted, QStringList{"Use kubectl. "});
}

TEST_F(OwnServerDictationTest, PlainHttpToAPublicServerFailsTheRunWithoutSending) {
    settings.setUseBackend(false);
    settings.setOpenAIAPIKey("sk-secret-xyz");
    settings.setOpenAIBaseURL("http://203.0.113.7");
    pendingAllowed = 1;  // the error's clearing timer
    holdGesture();
    EXPECT_EQ(server.connectionCount(), 0);
    EXPECT_TRUE(overlay.calls.join("|").contains("error "))
        << overlay.calls.join("|").toStdString();
    for (const QString& line : log.lines()) {
        EXPECT_FALSE(line.contains("sk-secret-xyz")) << line.toStdString();
    }
}

}  // namespace
