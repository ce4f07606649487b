#pragma once

#include "platform/ModifierEventSource.h"

#include <memory>

// Modifier changes from XInput 2 raw key events on the root window, over a connection of
// its own (raw events reach every client that asks, whichever window has the focus and
// whatever grabs are active). The modifier mask is tracked from the events, left and
// right keys separately.
class X11ModifierEventSource final : public ModifierEventSource {
public:
    X11ModifierEventSource();
    ~X11ModifierEventSource() override;

    ScopedRegistration subscribe(Handler handler) override;
    bool isKeyDown(int keyCode) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
