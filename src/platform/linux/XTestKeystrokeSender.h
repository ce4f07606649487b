#pragma once

#include "platform/KeystrokeSender.h"

#include <QByteArray>

#include <memory>

struct xcb_connection_t;
struct xkb_context;

// Posts Control+V through XTest on its own X connection, with the key that gives "v" in the
// layout active at that moment. Terminals take Control+Shift+V as their paste.
class XTestKeystrokeSender final : public KeystrokeSender {
public:
    // Connects to $DISPLAY, or to `displayName` when given.
    explicit XTestKeystrokeSender(const QByteArray& displayName = {});
    ~XTestKeystrokeSender() override;
    XTestKeystrokeSender(const XTestKeystrokeSender&) = delete;
    XTestKeystrokeSender& operator=(const XTestKeystrokeSender&) = delete;

    Modifiers currentModifiers() override;
    bool postPasteChord() override;

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
