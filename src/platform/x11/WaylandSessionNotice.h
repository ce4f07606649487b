#pragma once

#include <QString>

// Under Wayland the X server sees only X11 applications, so a grab or a raw-event watch
// on it hears keys only while one of them has the focus.
class WaylandSessionNotice {
public:
    WaylandSessionNotice() = delete;

    // The line to log for the session type ($XDG_SESSION_TYPE), empty unless "wayland".
    static QString textFor(const QString& sessionType);
    // Logs the line once per process when the session is a Wayland one.
    static void logOnce();
};
