#pragma once

#include "platform/CompositorStatus.h"

// Says whatever the test sets.
class FakeCompositorStatus final : public CompositorStatus {
public:
    explicit FakeCompositorStatus(bool compositing = true) : compositing_(compositing) {}

    bool isCompositing() const override { return compositing_; }
    void setCompositing(bool compositing) { compositing_ = compositing; }

private:
    bool compositing_;
};
