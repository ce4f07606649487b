#pragma once

#include "platform/WindowFocus.h"

#include <QSet>

// A desktop that tells which window has the focus; the test moves it, and a gone window
// refuses it.
class FakeWindowFocus final : public WindowFocus {
public:
    std::optional<WindowId> focusedWindow() override { return focused; }
    QCoro::Task<bool> focus(WindowId window) override {
        if (gone.contains(window)) {
            co_return false;
        }
        focused = window;
        co_return true;
    }

    std::optional<WindowId> focused;
    QSet<WindowId> gone;
};
