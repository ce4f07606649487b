#pragma once

// Whether a compositing manager runs on the display: without one, translucent windows show
// their transparent parts as black.
class CompositorStatus {
public:
    virtual ~CompositorStatus() = default;
    virtual bool isCompositing() const = 0;
};
