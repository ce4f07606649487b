#include "platform/wayland/VirtualKeyboardAccessibilityTrust.h"

#include "base/Log.h"
#include "platform/wayland/VirtualKeyboardKeystrokeSender.h"

VirtualKeyboardAccessibilityTrust::VirtualKeyboardAccessibilityTrust(
    const VirtualKeyboardKeystrokeSender& keystrokes)
    : keystrokes_(keystrokes) {}

bool VirtualKeyboardAccessibilityTrust::isTrusted() const {
    return keystrokes_.isAvailable();
}

bool VirtualKeyboardAccessibilityTrust::isTrustedWithPrompt() {
    const bool trusted = isTrusted();
    if (!trusted) {
        Log::line(
            QStringLiteral("[Quillo] The compositor offers no virtual keyboard "
                           "(zwp_virtual_keyboard_v1): paste with Ctrl+V by hand"));
    }
    return trusted;
}
