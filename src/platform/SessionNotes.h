#pragma once

#include <QStringList>

#include <functional>

// What the settings window must tell about this session's platform layer: the text ids of what
// it cannot do, and the lines the compositor's configuration needs for the hotkey. Installed once
// by the composition root; empty in an X11 session, which needs neither.
class SessionNotes {
public:
    using BindingLines = std::function<QStringList(int keyCode, int carbonModifiers)>;

    SessionNotes() = delete;

    static void install(QStringList limitationIds, BindingLines bindingLines);
    static void reset();

    static QStringList limitationIds();
    // Empty when the session binds the hotkey itself.
    static QStringList bindingLines(int keyCode, int carbonModifiers);
    static bool needsBindingLines();
};
