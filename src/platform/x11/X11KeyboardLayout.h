#pragma once

#include "platform/KeyboardLayout.h"

#include <memory>

// The X server keyboard's current layout through xkbcommon. The keymap is fetched for each
// question, so a layout switched meanwhile (setxkbmap, a layout indicator) is seen at once.
class X11KeyboardLayout final : public KeyboardLayout {
public:
    X11KeyboardLayout();
    ~X11KeyboardLayout() override;

    std::optional<QString> characterForKeyCode(int keyCode) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
