#pragma once

#include "platform/ModifierEventSource.h"

#include <QByteArray>

#include <memory>

// Modifier changes from XInput 2 raw key events on the root window, over a connection of
// its own (raw events reach every client that asks, whichever window has the focus and
// whatever grabs are active). The modifier mask is tracked from the events, left and
// right keys separately.
class X11ModifierEventSource final : public ModifierEventSource {
public:
    // Watches $DISPLAY, or `displayName` when given.
    explicit X11ModifierEventSource(const QByteArray& displayName = {});
    ~X11ModifierEventSource() override;

    ScopedRegistration subscribe(Handler handler) override;
    bool isKeyDown(int keyCode) override;
    // X has no key code for Fn: the keyboard handles it in its firmware.
    bool canReport(int keyCode) const override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
