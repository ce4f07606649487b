#include "services/remote/FormatResponse.h"

#include "services/http/JsonBody.h"

FormatResponse FormatResponse::decode(const QByteArray& body) {
    const QJsonObject object = JsonBody::object(body);
    return {JsonBody::requiredString(object, QStringLiteral("text"))};
}
