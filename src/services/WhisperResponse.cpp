#include "services/WhisperResponse.h"

#include "services/JsonBody.h"

WhisperResponse WhisperResponse::decode(const QByteArray& body) {
    const QJsonObject object = JsonBody::object(body);
    return {JsonBody::requiredString(object, QStringLiteral("text"))};
}
