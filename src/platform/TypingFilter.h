#pragma once

#include <QString>

// Text from a server becomes key presses when it is typed: a control character would press
// Escape, BackSpace, Delete or Return in the focused window, and a final Return runs the line
// in a terminal. What is typed keeps only printable text, newlines and tabs, and never ends with
// a newline.
class TypingFilter {
public:
    static QString typable(const QString& text);
};
