#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QTcpServer>

#include <chrono>
#include <deque>

class QTcpSocket;

// One request as it arrived on the wire.
struct RecordedRequest {
    QByteArray method;
    QByteArray path;
    // Every header line in the order sent, names as sent.
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    // When its first byte arrived, and when the answer was written (unset if never).
    std::chrono::steady_clock::time_point firstByteAt;
    std::chrono::steady_clock::time_point answeredAt;

    // The first header of that name (case-insensitive); empty when absent.
    QByteArray header(const QByteArray& name) const;
    bool hasHeader(const QByteArray& name) const;
    // The header names, in order, restricted to the given ones (case-insensitive).
    QList<QByteArray> headerOrder(const QList<QByteArray>& names) const;
};

// How the server answers one request.
struct ScriptedResponse {
    enum class Ending {
        complete,
        neverAnswer,  // record the request, then stay silent with the connection open
        dropMidBody,  // announce the whole body, send half of it, close the connection
    };

    int status = 200;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    std::chrono::milliseconds delay{0};
    Ending ending = Ending::complete;

    static ScriptedResponse json(int status, const QByteArray& body);
    static ScriptedResponse text(int status, const QByteArray& body);
};

// A real HTTP/1.1 server on 127.0.0.1 and a random port. Requests with Content-Length bodies
// are recorded; scripted answers are played in order (a 200 "{}" once the script runs out).
class LoopbackHttpServer : public QObject {
    Q_OBJECT
public:
    LoopbackHttpServer();
    ~LoopbackHttpServer() override;

    // "http://127.0.0.1:<port>"
    QString baseURL() const;
    quint16 port() const;

    void enqueue(ScriptedResponse response);
    const QList<RecordedRequest>& requests() const { return requests_; }
    int connectionCount() const { return connectionCount_; }

private:
    struct Connection {
        QByteArray buffer;
        std::chrono::steady_clock::time_point firstByteAt;
    };

    void accept();
    void readFrom(QTcpSocket* socket);
    bool takeRequest(QTcpSocket* socket);
    void answer(QPointer<QTcpSocket> socket, const ScriptedResponse& response, qsizetype index);

    QTcpServer server_;
    QHash<QTcpSocket*, Connection> connections_;
    std::deque<ScriptedResponse> script_;
    QList<RecordedRequest> requests_;
    int connectionCount_ = 0;
};
