#pragma once

#include "platform/GlobalHotkeyBackend.h"

#include <memory>

// Global hotkeys as passive key grabs on the X root window, over a connection of its own.
// Each combination is grabbed with every NumLock/CapsLock variant; detectable auto-repeat
// and a per-key "down" flag make a held key one press and one release. A grab the server
// refuses (another client holds it) fails with the X error code as status.
class X11GlobalHotkeyBackend final : public GlobalHotkeyBackend {
public:
    X11GlobalHotkeyBackend();
    ~X11GlobalHotkeyBackend() override;

    Outcome installHandler(Handler handler) override;
    Outcome registerHotkey(quint32 keyCode, quint32 carbonModifiers, HotkeyId id) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
