#include "platform/wayland/PortalAccessibilityTrust.h"

#include "base/Log.h"
#include "platform/wayland/PortalRemoteDesktopKeystrokeSender.h"

PortalAccessibilityTrust::PortalAccessibilityTrust(
    const PortalRemoteDesktopKeystrokeSender& keystrokes)
    : keystrokes_(keystrokes) {}

bool PortalAccessibilityTrust::isTrusted() const {
    return keystrokes_.isReady();
}

bool PortalAccessibilityTrust::isTrustedWithPrompt() {
    const bool trusted = isTrusted();
    if (!trusted) {
        Log::line(
            QStringLiteral("[Quillo] The remote desktop portal has not granted a keyboard: "
                           "paste with Ctrl+V by hand"));
    }
    return trusted;
}
