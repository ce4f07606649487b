#pragma once

#include <QList>
#include <QString>

#include <functional>

// How a text is typed on a keyboard layout that lacks some of its characters. Each character
// goes as its own key where the layout has one; else through the Unicode entry of GTK and IBus
// (Control+Shift+U, the code point in hex, space), which needs only "u", the hex digits and
// space; else it is left out and named, never dropped unseen.
class TypingPlan {
public:
    enum class Way { Key, UnicodeEntry };
    struct Step {
        char32_t character;
        Way way;
        bool operator==(const Step&) const = default;
    };

    // `hasKey` tells whether the layout gives a character with one key (Shift allowed).
    // Without `unicodeEntry` (no input method that reads it: a Qt field would get the hex
    // digits as text) what has no key is named instead.
    static TypingPlan make(const QString& text, const std::function<bool(char32_t)>& hasKey,
                           bool unicodeEntry = true);
    // The digits typed in a Unicode entry: lower-case hex, no leading zeros.
    static QString entryDigits(char32_t character);

    QList<Step> steps;
    // Each character left out, once, in the order of its first appearance.
    QString untypeable;
};
