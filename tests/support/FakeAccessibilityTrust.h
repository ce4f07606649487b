#pragma once

#include "platform/AccessibilityTrust.h"

// Trust the test can grant or withdraw; counts how often the user would have been prompted.
class FakeAccessibilityTrust final : public AccessibilityTrust {
public:
    explicit FakeAccessibilityTrust(bool trusted = true) : trusted(trusted) {}

    bool isTrusted() const override { return trusted; }
    bool isTrustedWithPrompt() override {
        if (!trusted) {
            ++prompts;
        }
        return trusted;
    }

    bool trusted;
    int prompts = 0;
};
