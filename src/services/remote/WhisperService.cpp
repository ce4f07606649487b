#include "services/remote/WhisperService.h"

#include "services/http/InsecureServerError.h"
#include "services/http/InvalidServerAddressError.h"
#include "services/remote/WhisperError.h"
#include "services/remote/WhisperResponse.h"

#include <QUrl>

#include <utility>

WhisperService::WhisperService(QString apiKey, HttpTransport transport, const QString& hostForTests)
    : WhisperService(std::move(apiKey), std::move(transport),
                     Options{hostForTests.isEmpty() ? QString::fromLatin1(apiHost) : hostForTests,
                             QString::fromLatin1(model),
                             {}}) {}

WhisperService::WhisperService(QString apiKey, HttpTransport transport, Options options)
    : apiKey_(std::move(apiKey)),
      model_(std::move(options.model)),
      prompt_(promptFor(options.vocabulary)),
      transport_(std::move(transport)) {
    const ServerAddress server(options.baseURL);
    endpoint_ = server.endpoint(QLatin1String(endpointPath));
    base_ = server.base();
    verdict_ = server.verdict();
}

QString WhisperService::promptFor(const QStringList& vocabulary) {
    QStringList words;
    for (const QString& word : vocabulary) {
        if (!word.trimmed().isEmpty())
            words.append(word.trimmed());
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
    if (verdict_ == ServerAddress::Verdict::invalid || endpoint_.isEmpty()) {
        throw InvalidServerAddressError(base_);
    }
    if (verdict_ == ServerAddress::Verdict::plainHttpPublic) {
        throw InsecureServerError(endpoint_.toString());
    }
    const MultipartBody body =
        buildMultipartBody(audioData, model_, language, MultipartBody::newBoundary(), prompt_);
    const HttpHeaders headers{{"Authorization", "Bearer " + apiKey_.toUtf8()},
                              {"Content-Type", body.contentType()}};
    // Nothing of this object is touched after the request is on its way.
    const HttpReply reply = co_await transport_.post(endpoint_, headers, body.bytes());
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
