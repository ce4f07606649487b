#include "HttpClientTest.h"

#include "services/http/DecodingError.h"
#include "services/remote/WhisperError.h"
#include "services/remote/WhisperService.h"

namespace {

class WhisperServiceTest : public HttpClientTest {
protected:
    Settled<QString> transcribe(std::optional<QString> language) {
        WhisperService service(QStringLiteral("sk-test-key"), transport(), server.baseURL());
        return settle(service.transcribe(sampleWav(), std::move(language)));
    }

    // The exact bytes the upload must have, written out independently of the client.
    static QByteArray expectedBody(const QByteArray& b, const std::optional<QByteArray>& language) {
        QByteArray body = "--" + b + "\r\nContent-Disposition: form-data; name=\"model\"\r\n\r\n" +
                          "gpt-4o-mini-transcribe\r\n";
        if (language) {
            body += "--" + b + "\r\nContent-Disposition: form-data; name=\"language\"\r\n\r\n" +
                    *language + "\r\n";
        }
        body += "--" + b +
                "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"audio.wav\"\r\n" +
                "Content-Type: audio/wav\r\n\r\n" + sampleWav() + "\r\n";
        return body + "--" + b + "--\r\n";
    }
};

}  // namespace

TEST_F(WhisperServiceTest, UploadsModelAndFileWithoutLanguageForAutoOrNone) {
    server.enqueue(ScriptedResponse::json(200, R"({"text":"Hallo Welt"})"));
    server.enqueue(ScriptedResponse::json(200, R"({"text":"Hallo Welt"})"));
    EXPECT_EQ(transcribe(std::nullopt).value, QStringLiteral("Hallo Welt"));
    EXPECT_EQ(transcribe(QStringLiteral("auto")).value, QStringLiteral("Hallo Welt"));

    ASSERT_EQ(server.requests().size(), 2);
    for (const RecordedRequest& request : server.requests()) {
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.path, "/v1/audio/transcriptions");
        EXPECT_EQ(request.headerOrder({"Authorization", "Content-Type"}),
                  (QList<QByteArray>{"Authorization", "Content-Type"}));
        EXPECT_EQ(request.header("Authorization"), "Bearer sk-test-key");
        const QByteArray b = boundaryOf(request);
        EXPECT_EQ(request.body, expectedBody(b, std::nullopt));
        EXPECT_EQ(request.body.count("--" + b), 3);
    }
    EXPECT_NE(boundaryOf(server.requests()[0]), boundaryOf(server.requests()[1]))
        << "every request has a boundary of its own";
}

TEST_F(WhisperServiceTest, LanguagePartStandsBetweenModelAndFile) {
    server.enqueue(ScriptedResponse::json(200, R"({"text":"x"})"));
    transcribe(QStringLiteral("de"));
    ASSERT_EQ(server.requests().size(), 1);
    const RecordedRequest& request = server.requests().first();
    const QByteArray b = boundaryOf(request);
    EXPECT_EQ(request.body, expectedBody(b, QByteArray("de")));
    EXPECT_EQ(request.body.count("--" + b), 4);
}

TEST_F(WhisperServiceTest, ReturnsTheTranscriptExactlyAsReceived) {
    server.enqueue(ScriptedResponse::json(200, R"({"text":"  Hallo\n","duration":1.5})"));
    server.enqueue(ScriptedResponse::json(200, R"({"text":""})"));
    EXPECT_EQ(transcribe(std::nullopt).value, QStringLiteral("  Hallo\n"));
    const Settled<QString> empty = transcribe(std::nullopt);
    ASSERT_TRUE(empty.value.has_value()) << "an empty transcript is the caller's to judge";
    EXPECT_EQ(*empty.value, QString());
}

TEST_F(WhisperServiceTest, ErrorStatusCarriesStatusAndBodyVerbatim) {
    const QByteArray invalidKey =
        R"({"error":{"message":"Incorrect API key","code":"invalid_api_key"}})";
    const QByteArray rateLimit = R"({"error":{"message":"Rate limit reached"}})";
    server.enqueue(ScriptedResponse::json(401, invalidKey));
    server.enqueue(ScriptedResponse::json(429, rateLimit));
    server.enqueue(ScriptedResponse::text(500, QByteArray("\xff\xfe broken", 9)));

    const auto unauthorized = transcribe(std::nullopt).errorAs<WhisperError>();
    ASSERT_TRUE(unauthorized);
    EXPECT_EQ(unauthorized->kind(), WhisperError::Kind::apiError);
    EXPECT_EQ(unauthorized->statusCode(), 401);
    EXPECT_EQ(unauthorized->body(), QString::fromUtf8(invalidKey));
    EXPECT_EQ(unauthorized->description(),
              QStringLiteral("Whisper API error (401): ") + QString::fromUtf8(invalidKey));

    const auto limited = transcribe(std::nullopt).errorAs<WhisperError>();
    ASSERT_TRUE(limited);
    EXPECT_EQ(limited->statusCode(), 429);
    EXPECT_EQ(limited->body(), QString::fromUtf8(rateLimit));

    const auto broken = transcribe(std::nullopt).errorAs<WhisperError>();
    ASSERT_TRUE(broken);
    EXPECT_EQ(broken->statusCode(), 500);
    EXPECT_EQ(broken->body(), QStringLiteral("unknown"));
    EXPECT_EQ(server.requests().size(), 3) << "nothing is retried";
}

TEST_F(WhisperServiceTest, SuccessBodyWithoutTextStringIsDecodingError) {
    for (const QByteArray& body : {QByteArray("not json"), QByteArray(R"({"text":5})"),
                                  QByteArray(R"({"transcript":"x"})"), QByteArray("[]")}) {
        server.enqueue(ScriptedResponse::json(200, body));
        const Settled<QString> outcome = transcribe(std::nullopt);
        EXPECT_TRUE(outcome.errorAs<DecodingError>()) << body.data();
    }
    EXPECT_EQ(WhisperError::invalidResponse().description(),
              QStringLiteral("Invalid response from Whisper API"));
}
