#pragma once

#include "platform/WindowFocus.h"
#include "services/paste/TextPaster.h"

#include <QList>
#include <QStringList>

#include <optional>

// Remembers every text it was asked to paste and, given the desktop's focus, where it went.
class FakeTextPaster final : public TextPaster {
public:
    QCoro::Task<void> pasteText(QString text) override {
        pasted << text;
        if (windows) {
            pastedInto << windows->focusedWindow();
        }
        co_return;
    }
    QStringList pasted;
    WindowFocus* windows = nullptr;
    QList<std::optional<WindowFocus::WindowId>> pastedInto;
};
