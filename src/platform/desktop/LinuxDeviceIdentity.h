#pragma once

#include "platform/DeviceIdentity.h"

#include <QString>

// /etc/machine-id, keyed with this application's own key (HMAC-SHA256, as systemd's
// application-specific machine ids are): stable per machine and application, and the raw
// machine id never leaves the machine.
class LinuxDeviceIdentity final : public DeviceIdentity {
public:
    explicit LinuxDeviceIdentity(QString machineIdPath = QStringLiteral("/etc/machine-id"));

    // None when the file is missing, unreadable or not 32 hexadecimal digits.
    std::optional<QString> machineIdentifier() const override;

private:
    QString machineIdPath_;
};
