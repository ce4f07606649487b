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

    std::optional<int> value;
    int writeCount = 0;
};
