#pragma once

#include "services/http/HttpTransport.h"
#include "services/http/MultipartBody.h"
#include "services/remote/TranscribeResponse.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <qcoro/qcorotask.h>

#include <optional>

class DefaultsStore;
class DeviceIdentity;

// The product's backend: transcription and formatting on the user's behalf, authenticated by
// the shared secret and this machine's device identifier. Created per dictation; holds no
// mutable state. Nothing is retried or logged here, and the secret appears in no text.
class QuilloAPIService {
public:
    static constexpr char transcribePath[] = "/api/transcribe";
    static constexpr char formatPath[] = "/api/format";

    // baseURL: AppSettings::backendURL() in the application (tests give a loopback address);
    // one trailing "/" is dropped. Reads the device identifier, creating and storing it first
    // when the store has none.
    QuilloAPIService(const QString& baseURL, QString apiSecret, DefaultsStore& store,
                     const DeviceIdentity& identity, HttpTransport transport = {});

    QString baseURL() const { return baseURL_; }
    QString deviceId() const { return deviceId_; }
    // baseURL() + the endpoint's path.
    QUrl transcribeURL() const;
    QUrl formatURL() const;

    // No language, or "auto", sends no language part. Throws APIError, TransportError or
    // DecodingError.
    QCoro::Task<TranscribeResponse> transcribe(
        QByteArray audioData, std::optional<QString> language = std::nullopt) const;
    // The formatted text exactly as the backend sent it. "mode" is sent only when given.
    QCoro::Task<QString> format(QString text, QString systemPrompt,
                                std::optional<QString> mode = std::nullopt) const;

    // The value under "quillo_device_id"; when there is none, one is generated and written at
    // once, so it never changes afterwards.
    static QString storedDeviceId(DefaultsStore& store, const DeviceIdentity& identity);
    // File part first, then the optional language part; no model part.
    static MultipartBody buildMultipartBody(const QByteArray& audioData,
                                            const std::optional<QString>& language,
                                            const QString& boundary);
    static QByteArray buildFormatBody(const QString& text, const QString& systemPrompt,
                                      const std::optional<QString>& mode);

private:
    static QString generateDeviceId(const DeviceIdentity& identity);
    // Throws serverError for a non-HTTP answer or a status other than 200.
    static const HttpReply& handleResponse(const HttpReply& reply);
    HttpHeaders headers(const QByteArray& contentType) const;

    QString baseURL_;
    QString apiSecret_;
    QString deviceId_;
    HttpTransport transport_;
};
