#include "TestKeyboard.h"

#include "platform/wayland/WaylandConnection.h"

#include <QByteArray>

#include <cstdlib>

#include <sys/mman.h>
#include <unistd.h>

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "virtual-keyboard-unstable-v1-client-protocol.h"

TestKeyboard::TestKeyboard(WaylandConnection& connection) : connection_(connection) {
    manager_ = static_cast<zwp_virtual_keyboard_manager_v1*>(
        connection.bind(&zwp_virtual_keyboard_manager_v1_interface, 1));
    if (!manager_ || !connection.seat())
        return;
    context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    const xkb_rule_names names = {nullptr, "pc105", "us", nullptr, nullptr};
    keymap_ = xkb_keymap_new_from_names(context_, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    char* text = xkb_keymap_get_as_string(keymap_, XKB_KEYMAP_FORMAT_TEXT_V1);
    const QByteArray data = QByteArray(text) + '\0';
    std::free(text);
    const int fd = ::memfd_create("quillo-test-keymap", MFD_CLOEXEC);
    if (::write(fd, data.constData(), size_t(data.size())) != data.size()) {
        ::close(fd);
        return;
    }
    keyboard_ =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager_, connection.seat());
    zwp_virtual_keyboard_v1_keymap(keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                   quint32(data.size()));
    ::close(fd);
    connection.roundtrip();
}

TestKeyboard::~TestKeyboard() {
    if (keyboard_)
        zwp_virtual_keyboard_v1_destroy(keyboard_);
    if (manager_)
        zwp_virtual_keyboard_manager_v1_destroy(manager_);
    if (keymap_)
        xkb_keymap_unref(keymap_);
    if (context_)
        xkb_context_unref(context_);
    connection_.flush();
}

void TestKeyboard::press(quint32 evdevCode) {
    send(evdevCode, true);
}

void TestKeyboard::release(quint32 evdevCode) {
    send(evdevCode, false);
}

void TestKeyboard::send(quint32 evdevCode, bool pressed) {
    if (!keyboard_)
        return;
    // The compositor takes a virtual keyboard's modifier state from what it is told, not from
    // its keys: tell it, as a real keyboard's driver would.
    quint32 modifier = 0;
    if (evdevCode == leftAlt)
        modifier = 1u << xkb_keymap_mod_get_index(keymap_, XKB_MOD_NAME_ALT);
    if (evdevCode == leftControl)
        modifier = 1u << xkb_keymap_mod_get_index(keymap_, XKB_MOD_NAME_CTRL);
    static quint32 time = 0;
    zwp_virtual_keyboard_v1_key(
        keyboard_, ++time, evdevCode,
        pressed ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    if (modifier != 0) {
        depressed_ = pressed ? (depressed_ | modifier) : (depressed_ & ~modifier);
        zwp_virtual_keyboard_v1_modifiers(keyboard_, depressed_, 0, 0, 0);
    }
    connection_.roundtrip();
}
