#include "services/FormatResponse.h"

#include "services/JsonBody.h"

FormatResponse FormatResponse::decode(const QByteArray& body) {
    const QJsonObject object = JsonBody::object(body);
    return {JsonBody::requiredString(object, QStringLiteral("text"))};
}
