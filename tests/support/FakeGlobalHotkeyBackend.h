#pragma once

#include "platform/GlobalHotkeyBackend.h"

#include <QList>

// Records handlers and registrations; tests deliver events by hand and can make a
// registration fail with a chosen status.
class FakeGlobalHotkeyBackend final : public GlobalHotkeyBackend {
public:
    struct Registration {
        quint32 keyCode;
        quint32 modifiers;
        HotkeyId id;
    };

    Outcome installHandler(Handler handler) override;
    Outcome registerHotkey(quint32 keyCode, quint32 carbonModifiers, HotkeyId id) override;

    // Hands the event to the installed handlers in order; true when one handled it.
    bool deliver(const HotkeyEvent& event);
    bool press(HotkeyId id) { return deliver({id, HotkeyEventKind::pressed}); }
    bool release(HotkeyId id) { return deliver({id, HotkeyEventKind::released}); }
    // The window system's later answer to a registration made with nextRegisterAwaitsConfirmation.
    bool confirm(HotkeyId id) { return deliver({id, HotkeyEventKind::confirmed}); }
    bool refuse(HotkeyId id, int status) { return deliver({id, HotkeyEventKind::refused, status}); }

    int handlerCount() const;
    int installCount() const { return installCount_; }
    QList<Registration> registrations() const;
    // Every registerHotkey call, in order, including refused ones.
    QList<Registration> registerCalls() const { return registerCalls_; }

    int nextRegisterStatus = noError;
    int nextInstallStatus = noError;
    // Registrations answer later, as a desktop portal's do.
    bool nextRegisterAwaitsConfirmation = false;
    bool loneModifiersBindable = true;
    bool canBindLoneModifiers() const override { return loneModifiersBindable; }
    std::chrono::milliseconds holdRecognisedAt{0};
    std::chrono::milliseconds holdRecognisedAfter() const override { return holdRecognisedAt; }

private:
    quint64 nextToken_ = 1;
    int installCount_ = 0;
    QList<std::pair<quint64, Handler>> handlers_;
    QList<std::pair<quint64, Registration>> registrations_;
    QList<Registration> registerCalls_;
};
