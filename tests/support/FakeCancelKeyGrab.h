#pragma once

#include "platform/CancelKeyGrab.h"

// Says whether the key is taken; a test presses it by hand, which does nothing unless it is.
class FakeCancelKeyGrab final : public CancelKeyGrab {
public:
    ScopedRegistration grab(Handler onPressed) override {
        ++grabCount;
        if (refuse || handler_) {
            return {};
        }
        handler_ = std::move(onPressed);
        return ScopedRegistration([this] { handler_ = nullptr; });
    }

    bool isGrabbed() const { return static_cast<bool>(handler_); }
    // True when a grab took the press (otherwise it went to the focused application).
    bool press() {
        if (!handler_) {
            return false;
        }
        const Handler current = handler_;
        current();
        return true;
    }

    bool refuse = false;
    int grabCount = 0;

private:
    Handler handler_;
};
