#pragma once

#include "platform/WindowFocus.h"

#include <QByteArray>

#include <chrono>
#include <memory>

class X11Connection;

// The focus on an X display, on a connection of its own. Under a window manager that follows
// the EWMH the active window is its word (_NET_ACTIVE_WINDOW), and a window is activated by
// asking it as a pager would; without one, the X server's input focus is read and set.
class X11WindowFocus final : public WindowFocus {
public:
    // The longest wait for the window manager to move the focus.
    static constexpr std::chrono::milliseconds focusBudget{500};

    explicit X11WindowFocus(const QByteArray& displayName = {});
    ~X11WindowFocus() override;
    X11WindowFocus(const X11WindowFocus&) = delete;
    X11WindowFocus& operator=(const X11WindowFocus&) = delete;

    std::optional<WindowId> focusedWindow() override;
    QCoro::Task<bool> focus(WindowId window) override;

private:
    bool windowManagerTracksActiveWindow();
    std::optional<WindowId> activeWindowProperty();
    std::optional<WindowId> inputFocus();
    bool exists(WindowId window);
    void requestFocus(WindowId window);

    std::unique_ptr<X11Connection> connection_;
    quint32 activeWindowAtom_ = 0;
    quint32 supportingWmCheckAtom_ = 0;
};
