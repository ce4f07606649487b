#include "services/remote/TranscribeResponse.h"

#include "services/http/JsonBody.h"

TranscribeResponse TranscribeResponse::decode(const QByteArray& body) {
    const QJsonObject object = JsonBody::object(body);
    return {JsonBody::requiredString(object, QStringLiteral("text")),
            JsonBody::requiredInteger(object, QStringLiteral("words"))};
}
