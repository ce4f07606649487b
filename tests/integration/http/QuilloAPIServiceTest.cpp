#include "HttpClientTest.h"

#include "services/http/DecodingError.h"
#include "services/remote/APIError.h"
#include "services/remote/QuilloAPIService.h"
#include "support/FakeDeviceIdentity.h"
#include "support/InMemoryDefaultsStore.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr char deviceId[] = "0F9C6B2A-1D3E-4F50-8A7B-9C0D1E2F3A4B";

class QuilloAPIServiceTest : public HttpClientTest {
protected:
    QuilloAPIServiceTest() { store.setString("quillo_device_id", deviceId); }

    QuilloAPIService service(const QString& baseURL) {
        return QuilloAPIService(baseURL, "secret-for-tests", store, identity, transport());
    }
    Settled<TranscribeResponse> transcribe(std::optional<QString> language,
                                           const QString& suffix = {}) {
        return settle(service(server.baseURL() + suffix).transcribe(sampleWav(), language));
    }
    Settled<QString> format(std::optional<QString> mode) {
        return settle(service(server.baseURL()).format("hello bob", "Be brief.", mode));
    }

    // The exact upload bytes: file first, then the optional language; no model part.
    static QByteArray expectedBody(const QByteArray& b, const std::optional<QByteArray>& language) {
        QByteArray body = "--" + b +
                          "\r\nContent-Disposition: form-data; name=\"file\"; "
                          "filename=\"audio.wav\"\r\nContent-Type: audio/wav\r\n\r\n" +
                          sampleWav() + "\r\n";
        if (language) {
            body += "--" + b + "\r\nContent-Disposition: form-data; name=\"language\"\r\n\r\n" +
                    *language + "\r\n";
        }
        return body + "--" + b + "--\r\n";
    }

    static void expectBackendHeaders(const RecordedRequest& request, const QByteArray& type) {
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.headerOrder({"Content-Type", "X-API-Secret", "X-Device-ID"}),
                  (QList<QByteArray>{"Content-Type", "X-API-Secret", "X-Device-ID"}));
        EXPECT_TRUE(request.header("Content-Type").startsWith(type));
        EXPECT_EQ(request.header("X-API-Secret"), "secret-for-tests");
        EXPECT_EQ(request.header("X-Device-ID"), deviceId);
        EXPECT_FALSE(request.hasHeader("Authorization"));
    }

    InMemoryDefaultsStore store;
    FakeDeviceIdentity identity;
};

}  // namespace

TEST_F(QuilloAPIServiceTest, TranscribeSendsFileFirstAndLanguageAfterIt) {
    for (int i = 0; i < 3; ++i) {
        server.enqueue(ScriptedResponse::json(200, R"({"text":"Hallo Welt","words":2,"ms":80})"));
    }
    const Settled<TranscribeResponse> german = transcribe(QStringLiteral("de"));
    ASSERT_TRUE(german.value);
    EXPECT_EQ(german.value->text, QStringLiteral("Hallo Welt"));
    EXPECT_EQ(german.value->words, 2);
    transcribe(QStringLiteral("auto"));
    transcribe(std::nullopt);

    ASSERT_EQ(server.requests().size(), 3);
    for (const RecordedRequest& request : server.requests()) {
        EXPECT_EQ(request.path, "/api/transcribe");
        expectBackendHeaders(request, "multipart/form-data; boundary=");
    }
    const QByteArray withLanguage = boundaryOf(server.requests()[0]);
    EXPECT_EQ(server.requests()[0].body, expectedBody(withLanguage, QByteArray("de")));
    EXPECT_EQ(server.requests()[0].body.count("--" + withLanguage), 3);
    for (int i = 1; i < 3; ++i) {
        const QByteArray b = boundaryOf(server.requests()[i]);
        EXPECT_EQ(server.requests()[i].body, expectedBody(b, std::nullopt));
        EXPECT_EQ(server.requests()[i].body.count("--" + b), 2) << "file part and closing line";
    }
}

TEST_F(QuilloAPIServiceTest, FormatSendsModeOnlyWhenGivenAndReturnsTextUntrimmed) {
    server.enqueue(ScriptedResponse::json(200, R"({"text":" Hi Bob! \n"})"));
    server.enqueue(ScriptedResponse::json(200, R"({"text":"Hi"})"));
    EXPECT_EQ(format(std::nullopt).value, QStringLiteral(" Hi Bob! \n"));
    EXPECT_EQ(format(QStringLiteral("email")).value, QStringLiteral("Hi"));

    ASSERT_EQ(server.requests().size(), 2);
    for (const RecordedRequest& request : server.requests()) {
        EXPECT_EQ(request.path, "/api/format");
        expectBackendHeaders(request, "application/json");
        EXPECT_FALSE(request.body.contains('\n')) << "compact JSON";
    }
    EXPECT_EQ(QJsonDocument::fromJson(server.requests()[0].body).object(),
              (QJsonObject{{"text", "hello bob"}, {"systemPrompt", "Be brief."}}));
    EXPECT_EQ(
        QJsonDocument::fromJson(server.requests()[1].body).object(),
        (QJsonObject{{"text", "hello bob"}, {"systemPrompt", "Be brief."}, {"mode", "email"}}));
}

TEST_F(QuilloAPIServiceTest, BaseURLLosesOnlyOneTrailingSlash) {
    EXPECT_EQ(service(server.baseURL() + "/").transcribeURL().toString(),
              server.baseURL() + "/api/transcribe");
    const QuilloAPIService doubled = service(server.baseURL() + "//");
    EXPECT_EQ(doubled.baseURL(), server.baseURL() + "/");
    EXPECT_EQ(doubled.transcribeURL().toString(), server.baseURL() + "//api/transcribe");
    EXPECT_EQ(doubled.formatURL().toString(), server.baseURL() + "//api/format");

    transcribe(std::nullopt, "//");
    ASSERT_EQ(server.requests().size(), 1);
    // WORKAROUND: Qt 6.4's HTTP layer writes the request target with
    // QUrl::NormalizePathSegments, which folds the double slash; the address itself keeps it.
    EXPECT_EQ(server.requests()[0].path, "/api/transcribe");
}

TEST_F(QuilloAPIServiceTest, ErrorStatusIsServerErrorWithTheBodyText) {
    const QByteArray unauthorized = R"({"error":"invalid secret"})";
    const QByteArray limited = R"({"error":"Too many requests, try again later"})";
    server.enqueue(ScriptedResponse::json(401, unauthorized));
    server.enqueue(ScriptedResponse::json(429, limited));
    server.enqueue(ScriptedResponse::text(500, "Transcription backend unavailable"));
    server.enqueue(ScriptedResponse::text(500, QByteArray("\x80\x81", 2)));

    const auto first = transcribe(std::nullopt).errorAs<APIError>();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->kind(), APIError::Kind::serverError);
    EXPECT_EQ(first->message(), QString::fromUtf8(unauthorized));
    const auto second = format(std::nullopt).errorAs<APIError>();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->message(), QString::fromUtf8(limited));
    const auto plain = transcribe(std::nullopt).errorAs<APIError>();
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->description(),
              QStringLiteral("Server error: Transcription backend unavailable"));
    EXPECT_EQ(plain->textualForm(),
              QStringLiteral("serverError(\"Transcription backend unavailable\")"));
    const auto broken = format(std::nullopt).errorAs<APIError>();
    ASSERT_TRUE(broken);
    EXPECT_EQ(broken->message(), QStringLiteral("Unknown error"));
    EXPECT_EQ(server.requests().size(), 4) << "nothing is retried";
    EXPECT_EQ(APIError::networkError("offline").description(),
              QStringLiteral("Network error: offline"));
}

TEST_F(QuilloAPIServiceTest, SuccessBodyMissingARequiredMemberIsDecodingError) {
    for (const QByteArray& body :
         {QByteArray(R"({"text":"Hallo"})"), QByteArray(R"({"words":1})"),
          QByteArray(R"({"text":"Hallo","words":"1"})"),
          QByteArray(R"({"text":"Hallo","words":1.5})"), QByteArray("<html>")}) {
        server.enqueue(ScriptedResponse::json(200, body));
        const auto error = transcribe(std::nullopt).errorAs<DecodingError>();
        EXPECT_TRUE(error) << body.data();
    }
    server.enqueue(ScriptedResponse::json(200, R"({"formatted":"x"})"));
    EXPECT_TRUE(format(std::nullopt).errorAs<DecodingError>());
}
