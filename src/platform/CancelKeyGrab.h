#pragma once

#include "base/ScopedRegistration.h"

#include <functional>

// The key that cancels a dictation (Escape). It is taken from the applications only while
// a grab is held, so at every other moment it reaches them as usual.
class CancelKeyGrab {
public:
    using Handler = std::function<void()>;

    virtual ~CancelKeyGrab() = default;

    // Takes the key; each press calls `onPressed` on the main thread until the returned
    // registration goes. An empty registration when the key cannot be taken (another client
    // holds it, or there is no window system).
    virtual ScopedRegistration grab(Handler onPressed) = 0;
};
