#pragma once

#include "base/Scheduler.h"
#include "platform/GlobalHotkeyBackend.h"

#include <QObject>

#include <optional>

// The hotkey for compositors without a global-shortcuts service (sway and other wlroots ones):
// the compositor's own key bindings run "quillo --hotkey-press" and "quillo --hotkey-release",
// which reach the running instance, and press() and release() turn them into the registered
// hotkey's events. A held key is one press and one release. Both commands are separate
// processes, so a release may overtake its press: a release without a press is kept briefly
// and completes a press that follows it.
class CommandHotkeyBackend final : public QObject, public GlobalHotkeyBackend {
    Q_OBJECT
public:
    static constexpr Scheduler::Duration kOvertakingReleaseWindow{250};

    explicit CommandHotkeyBackend(Scheduler& scheduler, QObject* parent = nullptr);

    Outcome installHandler(Handler handler) override;
    Outcome registerHotkey(quint32 keyCode, quint32 carbonModifiers, HotkeyId id) override;
    // A lone modifier's press never reaches Quillo in a Wayland session (the bindings hand
    // over key combinations only), so the hotkey field refuses it.
    bool canBindLoneModifiers() const override { return false; }

    // The combination the bindings must name, while one is registered.
    struct Combination {
        quint32 keyCode = 0;
        quint32 carbonModifiers = 0;
    };
    std::optional<Combination> registeredCombination() const;

public slots:
    void press();
    void release();

private:
    void deliver(HotkeyEventKind kind);

    Scheduler& scheduler_;
    quint64 nextToken_ = 1;
    QList<std::pair<quint64, Handler>> handlers_;
    std::optional<std::pair<quint64, HotkeyId>> registration_;
    Combination combination_;
    bool down_ = false;
    TimerHandle overtakingRelease_;
};
