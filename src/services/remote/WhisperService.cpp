#include "services/remote/WhisperService.h"

#include "services/http/InsecureServerError.h"
#include "services/http/ServerAddress.h"
#include "services/remote/WhisperError.h"
#include "services/remote/WhisperResponse.h"

#include <QUrl>

#include <utility>

WhisperService::WhisperService(QString apiKey, HttpTransport transport, const QString& hostForTests)
    : apiKey_(std::move(apiKey)),
      baseURL_((hostForTests.isEmpty() ? QString::fromLatin1(apiHost) : hostForTests) +
               QLatin1String(endpointPath)),
      transport_(std::move(transport)) {}

WhisperService::WhisperService(QString apiKey, HttpTransport transport, Options options)
    : apiKey_(std::move(apiKey)),
      model_(std::move(options.model)),
      prompt_(promptFor(options.vocabulary)),
      transport_(std::move(transport)) {
    const ServerAddress server(options.baseURL);
    baseURL_ = server.base() + QLatin1String(endpointPath);
    allowed_ = server.verdict() != ServerAddress::Verdict::plainHttpPublic;
}

QString WhisperService::promptFor(const QStringList& vocabulary) {
    QStringList words;
    for (const QString& word : vocabulary) {
        if (!word.trimmed().isEmpty()) words.append(word.trimmed());
    }
    return words.join(QStringLiteral(", "));
}

MultipartBody WhisperService::buildMultipartBody(const QByteArray& audioData, const QString& model,
                                                 const std::optional<QString>& language,
                                                 const QString& boundary, const QString& prompt) {
    MultipartBody body(boundary);
    body.addField("model", model.toUtf8());
    if (language) {
        body.addField("language", language->toUtf8());
    }
    if (!prompt.isEmpty()) {
        body.addField("prompt", prompt.toUtf8());
    }
    body.addFile("file", "audio.wav", "audio/wav", audioData);
    return body;
}

QCoro::Task<QString> WhisperService::transcribe(QByteArray audioData,
                                                std::optional<QString> language) const {
    if (language == QStringLiteral("auto")) {
        language.reset();
    }
    if (!allowed_) {
        throw InsecureServerError(baseURL_);
    }
    const MultipartBody body =
        buildMultipartBody(audioData, model_, language, MultipartBody::newBoundary(), prompt_);
    const HttpHeaders headers{{"Authorization", "Bearer " + apiKey_.toUtf8()},
                              {"Content-Type", body.contentType()}};
    // Nothing of this object is touched after the request is on its way.
    const HttpReply reply = co_await transport_.post(QUrl(baseURL_), headers, body.bytes());
    co_return interpret(reply);
}

QString WhisperService::interpret(const HttpReply& reply) {
    if (!reply.statusCode) {
        throw WhisperError::invalidResponse();
    }
    if (*reply.statusCode != 200) {
        throw WhisperError::apiError(*reply.statusCode,
                                     reply.bodyText().value_or(QStringLiteral("unknown")));
    }
    return WhisperResponse::decode(reply.body).text;
}
