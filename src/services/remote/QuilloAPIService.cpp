#include "services/remote/QuilloAPIService.h"

#include "models/AppSettings.h"
#include "platform/DefaultsStore.h"
#include "platform/DeviceIdentity.h"
#include "services/remote/APIError.h"
#include "services/remote/FormatResponse.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <QUuid>

#include <utility>

namespace {

QString withoutOneTrailingSlash(const QString& url) {
    return url.endsWith(QLatin1Char('/')) ? url.chopped(1) : url;
}

}  // namespace

QuilloAPIService::QuilloAPIService(const QString& baseURL, QString apiSecret, DefaultsStore& store,
                                   const DeviceIdentity& identity, HttpTransport transport)
    : baseURL_(withoutOneTrailingSlash(baseURL)),
      apiSecret_(std::move(apiSecret)),
      deviceId_(storedDeviceId(store, identity)),
      transport_(std::move(transport)) {}

QString QuilloAPIService::storedDeviceId(DefaultsStore& store, const DeviceIdentity& identity) {
    const QString key = QString::fromLatin1(AppSettings::Keys::deviceId);
    if (const std::optional<QString> stored = store.string(key)) {
        return *stored;
    }
    const QString generated = generateDeviceId(identity);
    store.setString(key, generated);
    return generated;
}

QString QuilloAPIService::generateDeviceId(const DeviceIdentity& identity) {
    if (std::optional<QString> machine = identity.machineIdentifier()) {
        return *machine;
    }
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

MultipartBody QuilloAPIService::buildMultipartBody(const QByteArray& audioData,
                                                   const std::optional<QString>& language,
                                                   const QString& boundary) {
    MultipartBody body(boundary);
    body.addFile("file", "audio.wav", "audio/wav", audioData);
    if (language) {
        body.addField("language", language->toUtf8());
    }
    return body;
}

QByteArray QuilloAPIService::buildFormatBody(const QString& text, const QString& systemPrompt,
                                             const std::optional<QString>& mode) {
    QJsonObject body{{QStringLiteral("text"), text},
                     {QStringLiteral("systemPrompt"), systemPrompt}};
    if (mode) {
        body.insert(QStringLiteral("mode"), *mode);
    }
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

QUrl QuilloAPIService::transcribeURL() const {
    // Strict: an address the lenient parser would repair is not sent to.
    return QUrl(baseURL_ + QLatin1String(transcribePath), QUrl::StrictMode);
}

QUrl QuilloAPIService::formatURL() const {
    return QUrl(baseURL_ + QLatin1String(formatPath), QUrl::StrictMode);
}

HttpHeaders QuilloAPIService::headers(const QByteArray& contentType) const {
    return {{"Content-Type", contentType},
            {"X-API-Secret", apiSecret_.toUtf8()},
            {"X-Device-ID", deviceId_.toUtf8()}};
}

QCoro::Task<TranscribeResponse> QuilloAPIService::transcribe(
    QByteArray audioData, std::optional<QString> language) const {
    if (language == QStringLiteral("auto")) {
        language.reset();
    }
    const MultipartBody body =
        buildMultipartBody(audioData, language, MultipartBody::newBoundary());
    // Nothing of this object is touched after the request is on its way.
    const HttpReply reply =
        co_await transport_.post(transcribeURL(), headers(body.contentType()), body.bytes());
    co_return TranscribeResponse::decode(handleResponse(reply).body);
}

QCoro::Task<QString> QuilloAPIService::format(QString text, QString systemPrompt,
                                              std::optional<QString> mode) const {
    const QByteArray body = buildFormatBody(text, systemPrompt, mode);
    const HttpReply reply =
        co_await transport_.post(formatURL(), headers("application/json"), body);
    co_return FormatResponse::decode(handleResponse(reply).body).text;
}

const HttpReply& QuilloAPIService::handleResponse(const HttpReply& reply) {
    if (!reply.statusCode) {
        throw APIError::serverError(QStringLiteral("Invalid response"));
    }
    if (*reply.statusCode != 200) {
        throw APIError::serverError(reply.bodyText().value_or(QStringLiteral("Unknown error")));
    }
    return reply;
}
