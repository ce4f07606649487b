#include "services/http/MultipartBody.h"

#include <QUuid>

namespace {
constexpr char crlf[] = "\r\n";
}

QString MultipartBody::newBoundary() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

MultipartBody::MultipartBody(const QString& boundary) : boundary_(boundary.toUtf8()) {}

MultipartBody& MultipartBody::addField(const QByteArray& name, const QByteArray& value) {
    parts_ += "--" + boundary_ + crlf;
    parts_ += "Content-Disposition: form-data; name=\"" + name + "\"" + crlf + crlf;
    parts_ += value + crlf;
    return *this;
}

MultipartBody& MultipartBody::addFile(const QByteArray& name, const QByteArray& fileName,
                                      const QByteArray& contentType, const QByteArray& content) {
    parts_ += "--" + boundary_ + crlf;
    parts_ += "Content-Disposition: form-data; name=\"" + name + "\"; filename=\"" + fileName +
              "\"" + crlf;
    parts_ += "Content-Type: " + contentType + crlf + crlf;
    parts_ += content + crlf;
    return *this;
}

QByteArray MultipartBody::bytes() const {
    return parts_ + "--" + boundary_ + "--" + crlf;
}

QByteArray MultipartBody::contentType() const {
    return "multipart/form-data; boundary=" + boundary_;
}
