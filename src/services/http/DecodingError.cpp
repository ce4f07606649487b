#include "services/http/DecodingError.h"

#include <utility>

DecodingError::DecodingError(QString reason) : reason_(std::move(reason)) {}

QString DecodingError::description() const {
    return QStringLiteral("The data couldn't be read because it isn't in the correct format (") +
           reason_ + QStringLiteral(").");
}
