#pragma once

#include <QString>

// Types text key by key into the focused window, for desktops where the clipboard cannot be
// written without the focus (no clipboard-control protocol).
class TextTyper {
public:
    struct Typed {
        // False when a key was refused; what went before it has been typed.
        bool sent = false;
        // The characters no key of the active layout gives, nor any other way of entering
        // them: left out of what was typed, each named once.
        QString untypeable;
        explicit operator bool() const { return sent; }
    };

    virtual ~TextTyper() = default;
    virtual Typed typeText(const QString& text) = 0;
};
