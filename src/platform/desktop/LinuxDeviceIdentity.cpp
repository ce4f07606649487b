#include "platform/desktop/LinuxDeviceIdentity.h"

#include <QCryptographicHash>
#include <QFile>
#include <QMessageAuthenticationCode>
#include <QRegularExpression>
#include <QUuid>

#include <utility>

namespace {

// Fixed for this application: changing it changes every machine's identifier.
constexpr char applicationKey[] = "8f4c2d1e-quillo-device-id-5b7a9e30";

}  // namespace

LinuxDeviceIdentity::LinuxDeviceIdentity(QString machineIdPath)
    : machineIdPath_(std::move(machineIdPath)) {}

std::optional<QString> LinuxDeviceIdentity::machineIdentifier() const {
    QFile file(machineIdPath_);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray machineId = file.read(64).trimmed().toLower();
    static const QRegularExpression shape(QStringLiteral("^[0-9a-f]{32}$"));
    if (!shape.match(QString::fromLatin1(machineId)).hasMatch()) {
        return std::nullopt;
    }
    QByteArray digest = QMessageAuthenticationCode::hash(
        applicationKey, QByteArray::fromHex(machineId), QCryptographicHash::Sha256);
    digest.truncate(16);
    // Mark it as a random (version 4, RFC 4122 variant) UUID: it carries no structure.
    digest[6] = static_cast<char>((digest[6] & 0x0F) | 0x40);
    digest[8] = static_cast<char>((digest[8] & 0x3F) | 0x80);
    return QUuid::fromRfc4122(digest).toString(QUuid::WithoutBraces).toUpper();
}
