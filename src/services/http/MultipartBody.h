#pragma once

#include <QByteArray>
#include <QString>

// A multipart/form-data body built part by part; bytes() adds the closing boundary line.
class MultipartBody {
public:
    // A random UUID in its upper-case canonical form, new for every request.
    static QString newBoundary();

    explicit MultipartBody(const QString& boundary);

    MultipartBody& addField(const QByteArray& name, const QByteArray& value);
    MultipartBody& addFile(const QByteArray& name, const QByteArray& fileName,
                           const QByteArray& contentType, const QByteArray& content);

    QByteArray bytes() const;
    // "multipart/form-data; boundary=" + the boundary.
    QByteArray contentType() const;

private:
    QByteArray boundary_;
    QByteArray parts_;
};
