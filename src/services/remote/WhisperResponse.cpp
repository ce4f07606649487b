#include "services/remote/WhisperResponse.h"

#include "services/http/JsonBody.h"

WhisperResponse WhisperResponse::decode(const QByteArray& body) {
    const QJsonObject object = JsonBody::object(body);
    return {JsonBody::requiredString(object, QStringLiteral("text"))};
}
