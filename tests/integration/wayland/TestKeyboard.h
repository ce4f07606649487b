#pragma once

#include <QtGlobal>

class WaylandConnection;
struct xkb_context;
struct xkb_keymap;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

// A keyboard the tests press keys on, as a user would: a virtual keyboard with the US layout whose
// keys reach the compositor's bindings and the focused window. Keys are evdev codes.
class TestKeyboard {
public:
    static constexpr quint32 leftAlt = 56, space = 57, leftControl = 29;

    explicit TestKeyboard(WaylandConnection& connection);
    ~TestKeyboard();
    bool isValid() const { return keyboard_ != nullptr; }

    void press(quint32 evdevCode);
    void release(quint32 evdevCode);

private:
    void send(quint32 evdevCode, bool pressed);

    WaylandConnection& connection_;
    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    zwp_virtual_keyboard_manager_v1* manager_ = nullptr;
    zwp_virtual_keyboard_v1* keyboard_ = nullptr;
    quint32 depressed_ = 0;
};
