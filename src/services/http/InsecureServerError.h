#pragma once

#include "base/QuilloError.h"

#include <QString>

#include <utility>

// A request refused before it was sent: its server is reached over plain http but is neither
// this computer nor on a private network, so the key would cross the internet in clear.
class InsecureServerError : public QuilloError {
public:
    explicit InsecureServerError(QString address) : address_(std::move(address)) {}

    QString address() const { return address_; }
    QString description() const override {
        return QStringLiteral("Refused to send the key over plain http to ") + address_ +
               QStringLiteral(": use https, or a local server");
    }

private:
    QString address_;
};
