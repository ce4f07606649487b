#pragma once

#include "platform/FnKeySetting.h"

// A setting held in memory; counts the writes.
class FakeFnKeySetting final : public FnKeySetting {
public:
    std::optional<int> usageType() override { return value; }
    void setUsageToNothing() override {
        ++writeCount;
        value = 0;
    }

    bool isFnKeyUsable() const override { return usable; }

    std::optional<int> value;
    bool usable = true;
    int writeCount = 0;
};
