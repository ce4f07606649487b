#pragma once

#include "base/QuilloError.h"

#include <QNetworkReply>
#include <QString>

// A request that got no complete HTTP answer: the connection failed, timed out or broke off.
// The pipeline only distinguishes the three kinds; the Qt error code and text stay available
// for the log line.
class TransportError : public QuilloError {
public:
    enum class Kind { notConnected, timedOut, other };

    TransportError(QNetworkReply::NetworkError networkError, QString errorText);

    // notConnected: no name resolution or no usable network (offline machine);
    // timedOut: the transfer time-out fired (Qt aborts the reply, so a cancellation means
    // a time-out: the clients never abort on their own); other: everything else.
    static Kind kindOf(QNetworkReply::NetworkError networkError);

    Kind kind() const { return kind_; }
    QNetworkReply::NetworkError networkError() const { return networkError_; }
    QString errorText() const { return errorText_; }
    QString description() const override { return errorText_; }

private:
    QNetworkReply::NetworkError networkError_;
    Kind kind_;
    QString errorText_;
};
