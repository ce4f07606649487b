#pragma once

#include "services/http/HttpTransport.h"
#include "support/LoopbackHttpServer.h"
#include "support/Settle.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QRegularExpression>

#include <gtest/gtest.h>

// A loopback server and the manager the clients send through, bypassing any proxy the
// environment names.
class HttpClientTest : public ::testing::Test {
protected:
    HttpClientTest() { network.setProxy(QNetworkProxy::NoProxy); }

    HttpTransport transport(
        std::chrono::milliseconds transferTimeout = HttpTransport::defaultTransferTimeout) {
        return HttpTransport(&network, transferTimeout);
    }

    // Bytes a WAV file may hold that text handling would damage: NUL, CR LF, high bytes.
    static QByteArray sampleWav() {
        QByteArray wav("RIFF\x24\x00\x00\x00WAVEfmt ", 16);
        for (int byte = 0; byte < 256; ++byte) {
            wav.append(static_cast<char>(byte));
        }
        return wav + "\r\n--not-a-boundary\r\n";
    }

    // The boundary the request's content type announces, checked to be an upper-case UUID.
    static QByteArray boundaryOf(const RecordedRequest& request) {
        const QByteArray prefix = "multipart/form-data; boundary=";
        const QByteArray type = request.header("Content-Type");
        const QByteArray boundary = type.startsWith(prefix) ? type.mid(prefix.size()) : "";
        static const QRegularExpression upperUuid(
            "^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");
        EXPECT_TRUE(upperUuid.match(QString::fromLatin1(boundary)).hasMatch()) << type.data();
        return boundary;
    }

    LoopbackHttpServer server;
    QNetworkAccessManager network;
};

// Google Test prints QString and QByteArray readably.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << text.toStdString();
}
inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
    *os << bytes.toStdString();
}
