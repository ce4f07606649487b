#pragma once

#include <QString>

// Types text key by key into the focused window, for desktops where the clipboard cannot be
// written without the focus (no clipboard-control protocol).
class TextTyper {
public:
    virtual ~TextTyper() = default;
    // False when a key was refused; what went before it has been typed.
    virtual bool typeText(const QString& text) = 0;
};
