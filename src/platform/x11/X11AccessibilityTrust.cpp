#include "platform/x11/X11AccessibilityTrust.h"

#include "base/Log.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <memory>

X11AccessibilityTrust::X11AccessibilityTrust(QByteArray displayName)
    : displayName_(std::move(displayName)) {}

bool X11AccessibilityTrust::isTrusted() const {
    // A short-lived connection: the answer must follow the display, and a query is rare.
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(displayName_.isEmpty() ? nullptr : displayName_.constData(), nullptr),
        &xcb_disconnect);
    if (xcb_connection_has_error(connection.get()) != 0) {
        return false;
    }
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(connection.get(), &xcb_test_id);
    if (extension == nullptr || extension->present == 0) {
        return false;
    }
    // Present is not enough: the server must also answer the extension's requests.
    xcb_test_get_version_reply_t* version = xcb_test_get_version_reply(
        connection.get(), xcb_test_get_version(connection.get(), 2, 2), nullptr);
    const bool usable = version != nullptr;
    std::free(version);
    return usable;
}

bool X11AccessibilityTrust::isTrustedWithPrompt() {
    const bool trusted = isTrusted();
    if (!trusted) {
        Log::line(QStringLiteral(
            "[Quillo] Synthetic key presses are unavailable: the X server offers no XTEST "
            "extension. Enable it (for example, remove \"-extension XTEST\" from the X server's "
            "options) and restart Quillo; until then dictated text stays on the clipboard."));
    }
    return trusted;
}
