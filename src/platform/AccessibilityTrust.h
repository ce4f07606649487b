#pragma once

// Whether the system lets this process post synthetic input.
class AccessibilityTrust {
public:
    virtual ~AccessibilityTrust() = default;
    virtual bool isTrusted() const = 0;
    // The same question; when not trusted, also tells the user how to grant it.
    virtual bool isTrustedWithPrompt() = 0;
};
