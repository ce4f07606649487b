#pragma once

#include "platform/DeviceIdentity.h"

#include <utility>

// A machine identifier the test chooses; none plays a platform that cannot tell.
class FakeDeviceIdentity final : public DeviceIdentity {
public:
    explicit FakeDeviceIdentity(std::optional<QString> identifier = std::nullopt)
        : identifier_(std::move(identifier)) {}

    std::optional<QString> machineIdentifier() const override { return identifier_; }
    void setIdentifier(std::optional<QString> identifier) { identifier_ = std::move(identifier); }

private:
    std::optional<QString> identifier_;
};
