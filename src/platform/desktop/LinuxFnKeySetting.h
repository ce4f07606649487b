#pragma once

#include "platform/FnKeySetting.h"

// PC keyboards handle Fn in their firmware and no Linux desktop binds Fn pressed alone:
// the key is always free, so there is nothing to read or write. For the same reason no
// application ever sees it (X has no key code for it), so it cannot be a hotkey.
class LinuxFnKeySetting final : public FnKeySetting {
public:
    std::optional<int> usageType() override { return 0; }
    void setUsageToNothing() override {}
    bool isFnKeyUsable() const override { return false; }
};
