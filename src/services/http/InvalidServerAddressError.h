#pragma once

#include "base/QuilloError.h"

#include <QString>

#include <utility>

// A request refused before it was sent: the server address is not a well-formed http or https
// URL, so where the key would go cannot be judged.
class InvalidServerAddressError : public QuilloError {
public:
    explicit InvalidServerAddressError(QString address) : address_(std::move(address)) {}

    QString address() const { return address_; }
    QString description() const override {
        return QStringLiteral("Not a valid server address: ") + address_;
    }

private:
    QString address_;
};
