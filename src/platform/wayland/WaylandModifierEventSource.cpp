#include "platform/wayland/WaylandModifierEventSource.h"

ScopedRegistration WaylandModifierEventSource::subscribe(Handler handler) {
    Q_UNUSED(handler);
    return {};
}

bool WaylandModifierEventSource::isKeyDown(int keyCode) {
    Q_UNUSED(keyCode);
    return false;
}

bool WaylandModifierEventSource::canReport(int keyCode) const {
    Q_UNUSED(keyCode);
    return false;
}
