#pragma once

#include "platform/CancelKeyGrab.h"

#include <memory>

// Escape as a passive grab on the X root window, over a connection of its own, with every
// NumLock/CapsLock variant and any other modifiers held. Detectable auto-repeat makes a held
// key one press.
class X11CancelKeyGrab final : public CancelKeyGrab {
public:
    X11CancelKeyGrab();
    ~X11CancelKeyGrab() override;
    X11CancelKeyGrab(const X11CancelKeyGrab&) = delete;
    X11CancelKeyGrab& operator=(const X11CancelKeyGrab&) = delete;

    ScopedRegistration grab(Handler onPressed) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
