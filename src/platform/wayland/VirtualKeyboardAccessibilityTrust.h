#pragma once

#include "platform/AccessibilityTrust.h"

class VirtualKeyboardKeystrokeSender;

// Synthetic input on wlroots needs no grant: it is allowed when the compositor gave us a
// virtual keyboard.
class VirtualKeyboardAccessibilityTrust final : public AccessibilityTrust {
public:
    explicit VirtualKeyboardAccessibilityTrust(const VirtualKeyboardKeystrokeSender& keystrokes);
    bool isTrusted() const override;
    bool isTrustedWithPrompt() override;

private:
    const VirtualKeyboardKeystrokeSender& keystrokes_;
};
