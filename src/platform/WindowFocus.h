#pragma once

#include <QtGlobal>

#include <qcoro/qcorotask.h>

#include <optional>

// Which window has the keyboard focus, and giving it back to a window, where the desktop lets
// an application tell (X11). Elsewhere there is no answer, and a text goes to the window that
// has the focus when it is pasted.
class WindowFocus {
public:
    using WindowId = quint64;

    virtual ~WindowFocus() = default;

    // None when no window has the focus or the desktop does not say.
    virtual std::optional<WindowId> focusedWindow() = 0;
    // Returns once `window` has the focus; false when it is gone or the focus did not move.
    virtual QCoro::Task<bool> focus(WindowId window) = 0;
};
