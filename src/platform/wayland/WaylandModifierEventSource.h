#pragma once

#include "platform/ModifierEventSource.h"

// A Wayland compositor tells a client only about the keys pressed in its own windows: a lone
// modifier key held over another application never reaches Quillo. This source says so, so a
// modifier hotkey fails at its start with a line in the log instead of never firing.
class WaylandModifierEventSource final : public ModifierEventSource {
public:
    ScopedRegistration subscribe(Handler handler) override;
    bool isKeyDown(int keyCode) override;
    bool canReport(int keyCode) const override;
};
