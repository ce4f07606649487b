#include "support/LoopbackHttpServer.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

QByteArray RecordedRequest::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return {};
}

bool RecordedRequest::hasHeader(const QByteArray& name) const {
    for (const auto& entry : headers) {
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

QList<QByteArray> RecordedRequest::headerOrder(const QList<QByteArray>& names) const {
    QList<QByteArray> order;
    for (const auto& entry : headers) {
        for (const QByteArray& name : names) {
            if (entry.first.compare(name, Qt::CaseInsensitive) == 0) {
                order << name;
            }
        }
    }
    return order;
}

namespace {
ScriptedResponse answer(int status, const QByteArray& contentType, const QByteArray& body) {
    ScriptedResponse response;
    response.status = status;
    response.headers = {{"Content-Type", contentType}};
    response.body = body;
    return response;
}
}  // namespace

ScriptedResponse ScriptedResponse::json(int status, const QByteArray& body) {
    return answer(status, "application/json", body);
}

ScriptedResponse ScriptedResponse::text(int status, const QByteArray& body) {
    return answer(status, "text/plain", body);
}

LoopbackHttpServer::LoopbackHttpServer() {
    connect(&server_, &QTcpServer::newConnection, this, &LoopbackHttpServer::accept);
    server_.listen(QHostAddress::LocalHost, 0);
}

LoopbackHttpServer::~LoopbackHttpServer() {
    for (QTcpSocket* socket : connections_.keys()) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}

QString LoopbackHttpServer::baseURL() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(port());
}

quint16 LoopbackHttpServer::port() const {
    return server_.serverPort();
}

void LoopbackHttpServer::enqueue(ScriptedResponse response) {
    script_.push_back(std::move(response));
}

void LoopbackHttpServer::accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        ++connectionCount_;
        connections_.insert(socket, {});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            connections_.remove(socket);
            socket->deleteLater();
        });
    }
}

void LoopbackHttpServer::readFrom(QTcpSocket* socket) {
    auto found = connections_.find(socket);
    if (found == connections_.end()) {
        return;
    }
    if (found->buffer.isEmpty())
        found->firstByteAt = std::chrono::steady_clock::now();
    found->buffer += socket->readAll();
    while (takeRequest(socket)) {
    }
}

bool LoopbackHttpServer::takeRequest(QTcpSocket* socket) {
    Connection& connection = connections_[socket];
    QByteArray& buffer = connection.buffer;
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0) {
        return false;
    }
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    RecordedRequest request;
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    request.method = requestLine.value(0);
    request.path = requestLine.value(1);
    qsizetype contentLength = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        const QByteArray name = line.left(colon);
        const QByteArray value = line.mid(colon + 1).trimmed();
        request.headers.append({name, value});
        if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) {
            contentLength = value.toLongLong();
        }
    }
    const qsizetype bodyStart = headerEnd + 4;
    if (buffer.size() - bodyStart < contentLength) {
        return false;
    }
    request.body = buffer.mid(bodyStart, contentLength);
    request.firstByteAt = connection.firstByteAt;
    buffer.remove(0, bodyStart + contentLength);
    // Pipelined bytes already here belong to the next request.
    connection.firstByteAt = std::chrono::steady_clock::now();
    requests_.append(request);
    const qsizetype index = requests_.size() - 1;

    ScriptedResponse response = ScriptedResponse::json(200, "{}");
    if (!script_.empty()) {
        response = script_.front();
        script_.pop_front();
    }
    if (response.ending == ScriptedResponse::Ending::neverAnswer) {
        return true;
    }
    QPointer<QTcpSocket> guarded(socket);
    if (response.delay.count() > 0) {
        QTimer::singleShot(response.delay, this,
                           [this, guarded, response, index] { answer(guarded, response, index); });
    } else {
        answer(guarded, response, index);
    }
    return true;
}

void LoopbackHttpServer::answer(QPointer<QTcpSocket> socket, const ScriptedResponse& response,
                                qsizetype index) {
    if (!socket) {
        return;
    }
    requests_[index].answeredAt = std::chrono::steady_clock::now();
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Scripted\r\n";
    for (const auto& [name, value] : response.headers) {
        head += name + ": " + value + "\r\n";
    }
    head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n\r\n";
    if (response.ending == ScriptedResponse::Ending::dropMidBody) {
        socket->write(head + response.body.left(response.body.size() / 2));
        // Closes once the written bytes are out: the client sees a short body, then the end.
        socket->disconnectFromHost();
        return;
    }
    socket->write(head + response.body);
}
