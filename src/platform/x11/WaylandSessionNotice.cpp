#include "platform/x11/WaylandSessionNotice.h"

#include "base/Log.h"

QString WaylandSessionNotice::textFor(const QString& sessionType) {
    if (sessionType.compare(QLatin1String("wayland"), Qt::CaseInsensitive) != 0) return {};
    return QStringLiteral("[Quillo] Wayland session: the global hotkey reaches Quillo only while an X11 "
                          "application has the focus, until Wayland support lands");
}

void WaylandSessionNotice::logOnce() {
    static bool logged = false;
    if (logged) return;
    const QString text = textFor(qEnvironmentVariable("XDG_SESSION_TYPE"));
    if (text.isEmpty()) return;
    logged = true;
    Log::line(text);
}
