#pragma once

#include "platform/AccessibilityTrust.h"

class PortalRemoteDesktopKeystrokeSender;

// Synthetic input through the RemoteDesktop portal is allowed once the portal started the
// session with a keyboard: the desktop's own dialog (if any) is the grant.
class PortalAccessibilityTrust final : public AccessibilityTrust {
public:
    explicit PortalAccessibilityTrust(const PortalRemoteDesktopKeystrokeSender& keystrokes);
    bool isTrusted() const override;
    bool isTrustedWithPrompt() override;

private:
    const PortalRemoteDesktopKeystrokeSender& keystrokes_;
};
