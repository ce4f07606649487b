#pragma once

#include "platform/ActivationPolicy.h"

#include <QList>

#include <functional>

// Remembers every policy it was given.
class FakeActivationPolicy final : public ActivationPolicy {
public:
    void setPolicy(Policy policy) override {
        if (onSet) {
            onSet(policy);
        }
        current = policy;
        history.append(policy);
    }
    Policy policy() const override { return current; }

    Policy current = Policy::accessory;
    QList<Policy> history;
    std::function<void(Policy)> onSet;
};
