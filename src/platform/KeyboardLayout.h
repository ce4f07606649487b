#pragma once

#include <QString>

#include <optional>

// The current keyboard layout, as far as naming keys needs it.
class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;
    // The text the key (portable code) types with no modifier held, or none (no such key,
    // a dead key, no layout data).
    virtual std::optional<QString> characterForKeyCode(int keyCode) = 0;
};
