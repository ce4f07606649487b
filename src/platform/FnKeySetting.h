#pragma once

#include <optional>

// The system setting for what the Fn key does when pressed alone. 0 means "nothing".
class FnKeySetting {
public:
    virtual ~FnKeySetting() = default;
    // The stored value, or none when the setting is absent or cannot be read.
    virtual std::optional<int> usageType() = 0;
    // Makes the setting 0; failures go unnoticed.
    virtual void setUsageToNothing() = 0;
    // Whether applications see the Fn key at all, so that it can serve as a hotkey.
    virtual bool isFnKeyUsable() const { return true; }
};
