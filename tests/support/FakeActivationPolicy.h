#pragma once

#include "platform/ActivationPolicy.h"

#include <QList>

// Remembers every policy it was given.
class FakeActivationPolicy final : public ActivationPolicy {
public:
    void setPolicy(Policy policy) override {
        policy_ = policy;
        changes.append(policy);
    }
    Policy policy() const override { return policy_; }

    QList<Policy> changes;

private:
    Policy policy_ = Policy::regular;
};
