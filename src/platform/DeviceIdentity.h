#pragma once

#include <QString>

#include <optional>

// The platform's stable identifier of this machine, already made safe to send: an upper-case
// canonical UUID that does not reveal the raw machine identifier.
class DeviceIdentity {
public:
    virtual ~DeviceIdentity() = default;
    // None when the platform cannot tell.
    virtual std::optional<QString> machineIdentifier() const = 0;
};
