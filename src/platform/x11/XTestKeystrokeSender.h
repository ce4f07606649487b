#pragma once

#include "platform/KeystrokeSender.h"

#include <QByteArray>
#include <QList>

#include <functional>
#include <memory>

struct xcb_connection_t;
struct xkb_context;

// Posts the paste chord through XTest on its own X connection, with the keys that give "v"
// (or Insert) in the keymap of that moment. Terminals get Shift+Insert. Modifiers the user
// still holds are released around the chord and pressed again after it, as
// `xdotool --clearmodifiers` does, so the target sees exactly the chord.
class XTestKeystrokeSender final : public KeystrokeSender {
public:
    // Connects to $DISPLAY, or to `displayName` when given.
    explicit XTestKeystrokeSender(const QByteArray& displayName = {});
    ~XTestKeystrokeSender() override;
    XTestKeystrokeSender(const XTestKeystrokeSender&) = delete;
    XTestKeystrokeSender& operator=(const XTestKeystrokeSender&) = delete;

    Modifiers currentModifiers() override;
    PasteChord chordForFocusedWindow() override;
    Result postPasteChord(PasteChord chord) override;

    struct KeyEvent {
        bool press;
        quint8 key;    // X key code
        bool ofChord;  // false: lifting or restoring a modifier the user holds
    };
    // The held modifiers released, the chord, the held modifiers pressed again.
    static QList<KeyEvent> chordEvents(const QList<quint8>& heldModifiers, quint8 modifierKey,
                                       quint8 key);
    // Sends the events in order, each checked, until one fails; then releases the chord's keys
    // still down and presses the held modifiers again that were lifted.
    static Result sendChordEvents(const QList<KeyEvent>& events,
                                  const std::function<bool(const KeyEvent&)>& send);

    // WM_CLASS as stored on a window: instance and class, each ending in a NUL byte.
    static bool isTerminalWindowClass(const QByteArray& wmClass);

private:
    bool focusedWindowIsTerminal() const;

    struct Disconnect {
        void operator()(xcb_connection_t* connection) const;
    };
    struct UnrefContext {
        void operator()(xkb_context* context) const;
    };
    std::unique_ptr<xcb_connection_t, Disconnect> connection_;
    std::unique_ptr<xkb_context, UnrefContext> xkb_;
    unsigned int root_ = 0;
    int keyboardDevice_ = -1;
};
