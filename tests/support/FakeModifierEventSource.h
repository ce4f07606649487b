#pragma once

#include "platform/ModifierEventSource.h"

#include <QList>
#include <QSet>

// Scripted modifier changes: every subscriber receives what the test sends; the hardware
// state is whatever the test says.
class FakeModifierEventSource final : public ModifierEventSource {
public:
    ScopedRegistration subscribe(Handler handler) override;
    bool isKeyDown(int keyCode) override { return hardwareDown.contains(keyCode); }
    bool canReport(int keyCode) const override { return !unreportable.contains(keyCode); }

    void send(int keyCode, quint64 flags);
    int subscriberCount() const { return static_cast<int>(subscribers_.size()); }

    bool refuseSubscriptions = false;
    QSet<int> hardwareDown;
    // Keys the system never sends.
    QSet<int> unreportable;

private:
    quint64 nextToken_ = 1;
    QList<std::pair<quint64, Handler>> subscribers_;
};
