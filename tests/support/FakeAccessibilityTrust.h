#pragma once

#include "platform/AccessibilityTrust.h"

// Trusted or not, as the test says; counts the prompting calls.
class FakeAccessibilityTrust final : public AccessibilityTrust {
public:
    bool isTrusted() const override { return trusted; }
    bool isTrustedWithPrompt() override {
        ++promptCount;
        return trusted;
    }

    bool trusted = true;
    int promptCount = 0;
};
