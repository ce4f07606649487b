#pragma once

#include "platform/KeyboardLayout.h"

#include <QHash>

// A layout given as a table of key code to character.
class FakeKeyboardLayout final : public KeyboardLayout {
public:
    std::optional<QString> characterForKeyCode(int keyCode) override {
        if (!characters.contains(keyCode)) return std::nullopt;
        return characters.value(keyCode);
    }

    QHash<int, QString> characters;
};
